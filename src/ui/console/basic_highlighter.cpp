#include "ui/console/basic_highlighter.h"

namespace crv::ui {

namespace {

QTextCharFormat coloured(const QColor& colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    return format;
}

// REM as a word of its own starts a comment; REMARK or FREM do not.
bool remAt(const QString& text, int i) {
    return text.mid(i, 3).compare("REM", Qt::CaseInsensitive) == 0 &&
           (i == 0 || !text[i - 1].isLetterOrNumber()) &&
           (i + 3 >= text.size() || !text[i + 3].isLetterOrNumber());
}

} // namespace

BasicHighlighter::BasicHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document),
      m_keywords("\\b(?:AND|DIM|ELSE|END|FOR|GOSUB|GOTO|IF|INPUT|LET|NEXT|NOT|OR|PRINT|"
                 "RETURN|STEP|STOP|THEN|TO|WHILE|WEND|DO|LOOP|UNTIL|ON|SUB|CALL|WAIT|RUN|"
                 "LIST|NEW|LOAD|SAVE)\\b",
                 QRegularExpression::CaseInsensitiveOption),
      m_numbers("\\b\\d+(?:\\.\\d+)?\\b"), m_comment(coloured(QColor(0, 128, 0))),
      m_keyword(coloured(QColor(0, 0, 255))), m_number(coloured(QColor(255, 0, 255))),
      m_string(coloured(QColor(128, 0, 0))) {}

void BasicHighlighter::highlightBlock(const QString& text) {
    for (auto match = m_keywords.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        setFormat(found.capturedStart(), found.capturedLength(), m_keyword);
    }
    for (auto match = m_numbers.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        setFormat(found.capturedStart(), found.capturedLength(), m_number);
    }
    // Strings and comments last, over anything found inside them; a quote opens a string
    // that the next quote or the line's end closes.
    bool inString = false;
    int stringStart = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            if (inString) {
                setFormat(stringStart, i - stringStart + 1, m_string);
            } else {
                stringStart = i;
            }
            inString = !inString;
        } else if (!inString && (text[i] == '\'' || remAt(text, i))) {
            setFormat(i, text.size() - i, m_comment);
            return;
        }
    }
    if (inString) {
        setFormat(stringStart, text.size() - stringStart, m_string);
    }
}

} // namespace crv::ui
