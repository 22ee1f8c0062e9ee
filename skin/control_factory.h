#pragma once
// Turns the control records of a dialog's layout into live skinned child controls.

#include "skin/layout_frame.h"

class QWidget;

/// Creates, configures, places and shows a control for every record of the frame's ControlMap
/// whose CtrlClass names one of the nine control classes, as a child of `pParent`, and hands it to
/// the frame's map for its family. Classes run in a fixed order (buttons, radio, check box, drift,
/// text, image, text with image, list, task list), each in ascending CtrlID.
void CreateLayoutControls(CBasicLayoutFrame& frame, QWidget* pParent);
