// The parser process that brisk and brisk-cli start for each worker reading
// ahead of the walk: it reads the messages it is sent and answers with what
// the analysis reads of them, over the socket it was given as its standard
// input and output. It is not meant to be run by hand.

#include "platform/system/ParseProcess.h"
#include "platform/system/SliceAllocator.h"

#include <csignal>
#include <cstring>
#include <iostream>

#include <sys/prctl.h>
#include <unistd.h>

BRISK_SLICES_FROM_MALLOC

int main(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0) {
        std::cerr << "brisk-parse: the mail parser of brisk and brisk-cli; they start it themselves\n";
        return 2;
    }
    // Ends with the program that started it, even one that was killed.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() == 1)
        return 1;
    return brisk::serveParseRequests(STDIN_FILENO, STDOUT_FILENO);
}
