#include <csignal>

#include "PatternRender.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "writers/OutputFile.h"

int main(int argc, char** argv)
{
    // A file over the size limit or a closed pipe makes the write fail, and
    // the run report it, rather than ending the process by a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // Any other signal that ends the run takes the unfinished file with it.
    OutputFile::removeTemporaryOnEndingSignals();
    PhilipsPm5544Spec pattern;
    return PatternRender::renderPattern(argc, argv, pattern);
}
