#include "driver/run_main.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    platform::initProcess();
    return runMain(argc, argv);
}
