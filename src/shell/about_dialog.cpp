#include "shell/about_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/command_line.h"

namespace vantorel {

QDialog* makeAboutDialog(QWidget* parent) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("id103"));
    dialog->setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(dialog);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        auto* picture = new QLabel(dialog);
        picture->setObjectName(QStringLiteral("aboutIcon"));
        picture->setPixmap(icon.pixmap(64, 64));
        layout->addWidget(picture);
    }
    auto* title = new QLabel(QString::fromUtf8(kVersionText), dialog);
    title->setObjectName(QStringLiteral("aboutTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.5);
    title->setFont(font);
    layout->addWidget(title);
    layout->addWidget(new QLabel(QStringLiteral("An emulator of the Exidy Sorcerer (1978).\n"
                                                "Monitor ROM and character set written for "
                                                "Vantorel."),
                                 dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    layout->addWidget(buttons);
    return dialog;
}

bool runAboutDialog(QWidget* parent) {
    QDialog* dialog = makeAboutDialog(parent);
    const int result = dialog->exec();
    delete dialog;
    return result == QDialog::Accepted;
}

}  // namespace vantorel
