#include "ui/console/tform13.h"

#include "common/typed_number.h"
#include "ui/common/widget_factory.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace crv::ui {

TForm13::TForm13(QWidget* owner) : QDialog(owner) {
    setObjectName("TForm13");
    setWindowTitle("Line Numbers");
    setFixedSize(220, 110);
    caption(this, "Start from", {10, 12, 80, 24});
    Edit1 = named<QLineEdit>(this, "Edit1", {100, 12, 110, 24});
    Edit1->setAccessibleName("Start from");
    caption(this, "Step", {10, 42, 80, 24});
    Edit2 = named<QLineEdit>(this, "Edit2", {100, 42, 110, 24});
    Edit2->setAccessibleName("Step");
    Button1 = button(this, "Button1", "OK", {30, 76, 80, 26});
    Button1->setDefault(true);
    Button1->setAccessibleName("OK");
    Button2 = button(this, "Button2", "Cancel", {120, 76, 80, 26});
    Button2->setAccessibleName("Cancel");
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);
    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm13::Button1Click() {
    for (QLineEdit* field : {Edit1, Edit2}) {
        const IntegerParse parsed = parseInteger(field->text().toStdString());
        if (!parsed.value) {
            QMessageBox::critical(this, windowTitle(), QString::fromStdString(parsed.error));
            field->setFocus();
            return;
        }
        (field == Edit1 ? m_start : m_step) = *parsed.value;
    }
    accept();
}

} // namespace crv::ui
