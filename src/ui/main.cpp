#include "ui/application.h"

int main(int argc, char** argv)
{
    return tieba::runApplication(argc, argv);
}
