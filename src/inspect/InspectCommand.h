#pragma once

// pm5544-inspect's driver: reads the command line and the file, prints and
// writes what was asked. Returns the exit status: 0 when all is well (and a
// comparison found no difference), 1 for a damaged file or a difference, 2
// when the file cannot be read at all or the request cannot be carried out.
namespace InspectCommand {

int run(int argc, char** argv);

}  // namespace InspectCommand
