#include "platform/WithoutWindows.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

void UseWithoutWindows()
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    qInstallMessageHandler(DropMessage);
}
