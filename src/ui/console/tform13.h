#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;

namespace crv::ui {

/// The "Line Numbers" dialog of the codepad: where numbering starts and the step.
class TForm13 : public QDialog {
    Q_OBJECT

public:
    explicit TForm13(QWidget* owner = nullptr);

    QLineEdit *Edit1, *Edit2;
    QPushButton *Button1, *Button2;

    /// OK's check: both fields whole numbers, else the conversion message and the dialog stays.
    void Button1Click();
    int32_t start() const { return m_start; }
    int32_t step() const { return m_step; }

private:
    int32_t m_start = 0;
    int32_t m_step = 0;
};

} // namespace crv::ui
