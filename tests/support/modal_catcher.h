#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace crv::testing {

/// Answers every modal message box that opens while it lives, remembering its text, so window
/// code that asks the user something can run unattended.
class ModalCatcher : public QObject {
public:
    explicit ModalCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) : m_answer(answer) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answerOpenBox(); });
        m_timer.start();
    }

    QStringList texts;

private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        texts << box->text();
        QAbstractButton* button = box->button(m_answer);
        button != nullptr ? button->click() : box->reject();
    }

    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
};

} // namespace crv::testing
