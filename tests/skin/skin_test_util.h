#pragma once
// Layout documents and a private data root for the skin tests.

#include <QByteArray>
#include <QString>

#include "tests/support/scoped_data_root.h"

/// A layout file as the shipped ones are written: byte-order mark, declaration, CR LF line ends,
/// `strBody` inside the WindowInformation element (its "\n" become CR LF).
QByteArray LayoutDocument(const QString& strBody);

/// A CtrlInfo element with every attribute, the values of the shipped Log In button but for these three.
QString CtrlInfoElement(int nCtrlID, const QString& strClass, const QString& strText);
