// roamdock: finds the portable storage devices on the local network and opens them.
#include "app/quarlo_app.h"

int main(int argc, char** argv) {
    CQuarloApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
