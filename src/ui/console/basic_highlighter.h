#pragma once

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace crv::ui {

/// Colours the board's BASIC-like scripts: comments green, keywords blue, numbers fuchsia and
/// strings maroon.
class BasicHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit BasicHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    QRegularExpression m_keywords;
    QRegularExpression m_numbers;
    QTextCharFormat m_comment, m_keyword, m_number, m_string;
};

} // namespace crv::ui
