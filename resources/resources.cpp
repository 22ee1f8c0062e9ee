#include "resources/resources.h"

#include <QtCore/qglobal.h>

void InitRoamdockResources() {
    // Registering the same data again is a no-op inside Qt.
    Q_INIT_RESOURCE(roamdock);
}
