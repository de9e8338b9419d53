#include "PatternRender.h"
#include "patterns/philips-PM5544-2si-num-new.h"

int main(int argc, char** argv)
{
    PhilipsPm5544Spec pattern;
    return PatternRender::renderPattern(argc, argv, pattern);
}
