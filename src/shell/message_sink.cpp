#include "shell/message_sink.h"

#include <QMessageBox>

namespace vantorel {

void QtMessageSink::warn(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vantorel"), text, QMessageBox::Ok,
                    owner_);
    box.exec();
}

}  // namespace vantorel
