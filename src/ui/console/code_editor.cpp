#include "ui/console/code_editor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>

namespace crv::ui {

namespace {

class Margin : public QWidget {
public:
    explicit Margin(CodeEditor* editor) : QWidget(editor), m_editor(editor) {
        setObjectName("LineNumbers");
    }
    QSize sizeHint() const override { return {m_editor->marginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->paintMargin(event); }

private:
    CodeEditor* m_editor;
};

constexpr int kMarginPadding = 8;

} // namespace

CodeEditor::CodeEditor(QWidget* parent) : QPlainTextEdit(parent), m_margin(new Margin(this)) {
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(marginWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0) {
            m_margin->scroll(0, dy);
        } else {
            m_margin->update(0, rect.y(), m_margin->width(), rect.height());
        }
    });
    setViewportMargins(marginWidth(), 0, 0, 0);
}

int CodeEditor::marginWidth() const {
    const int digits = QString::number(std::max(1, blockCount())).size();
    return kMarginPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void CodeEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_margin->setGeometry(area.left(), area.top(), marginWidth(), area.height());
}

void CodeEditor::paintMargin(QPaintEvent* event) {
    QPainter painter(m_margin);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible()) {
            painter.drawText(0, top, m_margin->width() - kMarginPadding / 2, height,
                             Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(block.blockNumber() + 1));
        }
        top += height;
        block = block.next();
    }
}

} // namespace crv::ui
