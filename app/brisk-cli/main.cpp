#include "shell/Cli.h"

int main(int argc, char** argv)
{
    return brisk::runCli(argc, argv);
}
