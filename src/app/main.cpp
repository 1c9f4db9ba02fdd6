#include "app/application.h"
#include "app/core_dumps.h"

int main(int argc, char** argv)
{
    // Before the data file with its passwords is read.
    tieba::keepSecretsOutOfCoreDumps();
    return tieba::runApplication(argc, argv);
}
