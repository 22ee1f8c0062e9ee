#include "tools/scan/scanner.h"

int main(int argc, char* argv[]) {
    return RunScanner(argc, argv);
}
