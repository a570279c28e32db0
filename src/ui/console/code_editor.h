#pragma once

#include <QPlainTextEdit>

namespace crv::ui {

/// A plain text editor with the line numbers in a margin that sizes itself to the largest.
class CodeEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CodeEditor(QWidget* parent = nullptr);

    int marginWidth() const;
    /// Draws the margin; called by the margin widget.
    void paintMargin(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_margin;
};

} // namespace crv::ui
