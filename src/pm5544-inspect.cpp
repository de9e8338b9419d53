#include "inspect/InspectCommand.h"

int main(int argc, char** argv)
{
    return InspectCommand::run(argc, argv);
}
