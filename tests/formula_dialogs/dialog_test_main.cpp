#include "dialog_support.h"

int main(int argc, char** argv) {
    return nemro::testing::runDialogTests(argc, argv);
}
