#pragma once

#include "console/script_text.h"

#include <QMainWindow>

#include <cstdint>
#include <string>
#include <vector>

class QAction;

namespace crv::ui {

class CodeEditor;
class TForm3;
class TForm10;
class TForm13;

/// The "CLI Codepad": an editor for the board's BASIC-like scripts with line numbering, which
/// sends a script to the board's command line through the terminal or writes it, with its
/// start-up options, into the board's flash through the configuration window's package page.
class TForm12 : public QMainWindow {
    Q_OBJECT

public:
    /// width and height are the main window's settings "Editor width" and "Editor height".
    TForm12(TForm10& terminal, TForm3& configuration, int32_t& width, int32_t& height,
            QWidget* owner = nullptr);
    ~TForm12() override;

    CodeEditor* Memo1;
    TForm13* Form13;
    QAction *New1, *Open1, *Save1, *Readfromboard1, *Uploadtoterminal2, *Writetoboard1;
    QAction *Cut1, *Copy1, *Paste1, *SelectAll1;
    QAction *AddReplace1, *Remove1;
    QAction *AutoLoad1, *AutoRun1, *NonBreak1;

    /// Shows the window at its kept size the first time.
    void ShowCodepad();
    /// Open's work after the dialog: refuses what is no script.
    void OpenScript(const QString& path);
    /// Save as's work after the dialog.
    bool SaveScript(const QString& path);
    void Uploadtoterminal2Click();
    void Writetoboard1Click();
    void Readfromboard1Click();
    /// Insert...: asks the dialog, then numbers the lines the selection touches (or all).
    void AddReplace1Click();
    void Remove1Click();
    /// A script read from the board's flash: its text and options replace the editor's.
    void ScriptRead(const console::StoredScript& script);

    /// The editor's lines, one byte a character, each ended by 13, 10.
    std::vector<uint8_t> scriptText() const;
    const console::ScriptOptions& options() const { return m_options; }
    const console::LineNumbering& numbering() const { return m_numbering; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createMenus();
    void showOptions();
    /// The first and last line the selection touches, or all lines.
    std::pair<int, int> targetLines() const;
    std::vector<std::string> lines() const;
    void replaceLines(int first, int last, const std::vector<std::string>& lines);

    TForm10& m_terminal;
    TForm3& m_configuration;
    int32_t& m_width;
    int32_t& m_height;
    console::ScriptOptions m_options;
    console::LineNumbering m_numbering;
    bool m_sized = false;
};

} // namespace crv::ui
