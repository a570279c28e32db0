#include "ui/console/tform12.h"

#include "console/pack_files.h"
#include "ui/config/tform3.h"
#include "ui/console/basic_highlighter.h"
#include "ui/console/code_editor.h"
#include "ui/console/tform10.h"
#include "ui/console/tform13.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextBlock>

namespace crv::ui {

namespace {

const char* const kScriptFilter = "BASIC file (*.bas)";

QString latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

/// 8-bit script text as the editor holds it, one line a block.
QString editorText(const std::string& text) {
    QStringList lines;
    for (const std::string& line : console::scriptLines(text)) {
        lines << latin1(line);
    }
    return lines.join('\n');
}

} // namespace

TForm12::TForm12(TForm10& terminal, TForm3& configuration, int32_t& width, int32_t& height,
                 QWidget* owner)
    : QMainWindow(owner, Qt::Window), m_terminal(terminal), m_configuration(configuration),
      m_width(width), m_height(height) {
    setObjectName("TForm12");
    setWindowTitle("CLI Codepad");
    resize(640, 480);
    Memo1 = new CodeEditor(this);
    Memo1->setObjectName("Memo1");
    Memo1->setAccessibleName("Script");
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setTabChangesFocus(false);
    new BasicHighlighter(Memo1->document());
    setCentralWidget(Memo1);
    Form13 = new TForm13(this);
    createMenus();
    m_configuration.setScriptReadHandler(
        [this](const console::StoredScript& script) { ScriptRead(script); });
}

TForm12::~TForm12() { m_configuration.setScriptReadHandler(nullptr); }

void TForm12::createMenus() {
    const auto add = [this](QMenu* menu, QAction** action, const char* name, const QString& text,
                            QKeySequence keys = {}) {
        *action = menu->addAction(text);
        (*action)->setObjectName(name);
        (*action)->setShortcut(keys);
    };
    QMenu* file = menuBar()->addMenu("&File");
    add(file, &New1, "New1", "New", QKeySequence("Ctrl+N"));
    add(file, &Open1, "Open1", "Open...", QKeySequence("Ctrl+O"));
    add(file, &Save1, "Save1", "Save as...", QKeySequence("Ctrl+S"));
    QMenu* board = file->addMenu("Board...");
    add(board, &Readfromboard1, "Readfromboard1", "Read from FLASH");
    add(board, &Uploadtoterminal2, "Uploadtoterminal2", "Upload to terminal");
    add(board, &Writetoboard1, "Writetoboard1", "<<Upload to FLASH>>");
    QMenu* edit = menuBar()->addMenu("&Edit");
    add(edit, &Cut1, "Cut1", "Cut", QKeySequence("Ctrl+X"));
    add(edit, &Copy1, "Copy1", "Copy", QKeySequence("Ctrl+C"));
    add(edit, &Paste1, "Paste1", "Paste", QKeySequence("Ctrl+V"));
    add(edit, &SelectAll1, "SelectAll1", "Select all", QKeySequence("Ctrl+A"));
    QMenu* numbers = menuBar()->addMenu("N&umbers");
    add(numbers, &AddReplace1, "AddReplace1", "Insert...");
    add(numbers, &Remove1, "Remove1", "Remove");
    QMenu* option = menuBar()->addMenu("OPTION");
    add(option, &AutoLoad1, "AutoLoad1", "AutoLoad");
    add(option, &AutoRun1, "AutoRun1", "AutoRun");
    add(option, &NonBreak1, "NonBreak1", "NonBreak");
    for (QAction* item : {AutoLoad1, AutoRun1, NonBreak1}) {
        item->setCheckable(true);
    }

    connect(New1, &QAction::triggered, Memo1, &QPlainTextEdit::clear);
    connect(Open1, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, "Open", ".", kScriptFilter);
        if (!path.isEmpty()) {
            OpenScript(path);
        }
    });
    connect(Save1, &QAction::triggered, this, [this] {
        QString path = QFileDialog::getSaveFileName(this, "Save as", ".", kScriptFilter);
        if (path.isEmpty()) {
            return;
        }
        if (!path.endsWith(".bas")) {
            path += ".bas";
        }
        if (!SaveScript(path)) {
            QMessageBox::warning(this, windowTitle(), "Cannot write " + path);
        }
    });
    connect(Readfromboard1, &QAction::triggered, this, &TForm12::Readfromboard1Click);
    connect(Uploadtoterminal2, &QAction::triggered, this, &TForm12::Uploadtoterminal2Click);
    connect(Writetoboard1, &QAction::triggered, this, &TForm12::Writetoboard1Click);
    connect(Cut1, &QAction::triggered, Memo1, &QPlainTextEdit::cut);
    connect(Copy1, &QAction::triggered, Memo1, &QPlainTextEdit::copy);
    connect(Paste1, &QAction::triggered, Memo1, &QPlainTextEdit::paste);
    connect(SelectAll1, &QAction::triggered, Memo1, &QPlainTextEdit::selectAll);
    connect(AddReplace1, &QAction::triggered, this, &TForm12::AddReplace1Click);
    connect(Remove1, &QAction::triggered, this, &TForm12::Remove1Click);
    connect(AutoLoad1, &QAction::triggered, this, [this] {
        m_options.clickAutoLoad();
        showOptions();
    });
    connect(AutoRun1, &QAction::triggered, this, [this] {
        m_options.clickAutoRun();
        showOptions();
    });
    connect(NonBreak1, &QAction::triggered, this, [this] {
        m_options.clickNonBreak();
        showOptions();
    });
}

void TForm12::ShowCodepad() {
    if (!m_sized && m_width > 0 && m_height > 0) {
        resize(m_width, m_height);
    }
    m_sized = true;
    show();
    raise();
}

void TForm12::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    showOptions();
}

void TForm12::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_sized) {
        m_width = width();
        m_height = height();
    }
}

void TForm12::showOptions() {
    AutoLoad1->setChecked(m_options.autoLoad());
    AutoRun1->setChecked(m_options.autoRun());
    NonBreak1->setChecked(m_options.nonBreak());
    m_options.normalise();
}

std::vector<std::string> TForm12::lines() const {
    std::vector<std::string> result;
    if (Memo1->document()->isEmpty()) {
        return result;
    }
    for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next()) {
        result.push_back(block.text().toLatin1().toStdString());
    }
    return result;
}

std::vector<uint8_t> TForm12::scriptText() const { return console::scriptBytes(lines()); }

void TForm12::OpenScript(const QString& path) {
    const console::FileBytes file = console::readFileWhole(
        path.toStdString(), console::kMaxScriptBytes - 1, console::kScriptTooBig);
    const Status usable = file.status.ok() ? console::checkScriptFile(file.bytes) : file.status;
    if (!usable.ok()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(usable.message()));
        return;
    }
    Memo1->setPlainText(editorText(std::string(file.bytes.begin(), file.bytes.end())));
}

bool TForm12::SaveScript(const QString& path) {
    return console::writeFileWhole(path.toStdString(), scriptText()).ok();
}

void TForm12::Uploadtoterminal2Click() {
    std::vector<uint8_t> bytes = scriptText();
    bytes.insert(bytes.end(), {13, 10, 0, 0});
    if (bytes.size() >= console::kMaxScriptBytes) {
        QMessageBox::warning(this, windowTitle(), console::kScriptTooBig);
        return;
    }
    m_terminal.sender().send(bytes, true);
}

void TForm12::Writetoboard1Click() {
    const std::vector<uint8_t> text = scriptText();
    if (text.size() >= console::kMaxScriptBytes) {
        QMessageBox::warning(this, windowTitle(), console::kScriptTooBig);
        return;
    }
    m_configuration.StartScriptUpload(console::scriptImage(m_options.byte(), text));
}

void TForm12::Readfromboard1Click() { m_configuration.StartScriptRead(); }

void TForm12::ScriptRead(const console::StoredScript& script) {
    m_options.setByte(script.options);
    Memo1->setPlainText(editorText(script.text));
    ShowCodepad();
    showOptions();
}

std::pair<int, int> TForm12::targetLines() const {
    const QTextCursor cursor = Memo1->textCursor();
    if (!cursor.hasSelection()) {
        return {0, Memo1->document()->blockCount() - 1};
    }
    const QTextDocument* document = Memo1->document();
    return {document->findBlock(cursor.selectionStart()).blockNumber(),
            document->findBlock(cursor.selectionEnd()).blockNumber()};
}

void TForm12::replaceLines(int first, int last, const std::vector<std::string>& all) {
    QTextCursor cursor(Memo1->document()->findBlockByNumber(first));
    cursor.beginEditBlock(); // one undo step
    cursor.movePosition(QTextCursor::StartOfBlock);
    const QTextBlock end = Memo1->document()->findBlockByNumber(last);
    cursor.setPosition(end.position() + end.length() - 1, QTextCursor::KeepAnchor);
    QStringList text;
    for (int i = first; i <= last; ++i) {
        text << latin1(all[static_cast<size_t>(i)]);
    }
    cursor.insertText(text.join('\n'));
    cursor.endEditBlock();
}

void TForm12::AddReplace1Click() {
    Form13->move(geometry().left() + width() / 2 - 80, geometry().top() + 80);
    Form13->Edit1->setText(QString::number(m_numbering.start));
    Form13->Edit2->setText(QString::number(m_numbering.step));
    const auto [first, last] = targetLines();
    if (Form13->exec() != QDialog::Accepted) {
        return;
    }
    m_numbering = {Form13->start(), Form13->step()};
    std::vector<std::string> all = lines();
    console::insertLineNumbers(all, static_cast<size_t>(first), static_cast<size_t>(last),
                               m_numbering);
    replaceLines(first, last, all);
}

void TForm12::Remove1Click() {
    const auto [first, last] = targetLines();
    std::vector<std::string> all = lines();
    for (int i = first; i <= last; ++i) {
        all[static_cast<size_t>(i)] = console::removeLineNumber(all[static_cast<size_t>(i)]);
    }
    replaceLines(first, last, all);
}

} // namespace crv::ui
