#pragma once
// The two file dialogs of the window behind one interface, so that tests can script the answers.
// Settings a command does not change stay as the last use left them.
#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace karovel::ui {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // "Description|pattern|Description|pattern", patterns separated by ';'.
  std::string filter;
  // Appended to a typed file name that has none ("gmap", ".gmap" and "*.gmap" all mean the same).
  std::string defaultExtension;
  // Proposed before, the (first) chosen file after Execute.
  std::string fileName;
  std::string initialDir;
  // Every chosen file in the dialog's order after a successful Execute.
  std::vector<std::string> files;

  // Shows the dialog; false when the user cancels (files and fileName then stay as they were).
  virtual bool Execute() = 0;
};

// "Open": several existing files may be chosen. "Save": one file, the user confirms overwriting.
enum class FileDialogKind { Open, Save };

// The Qt dialog: modal, resizable, no read-only box.
class QtFileDialog : public FileDialog {
 public:
  QtFileDialog(FileDialogKind kind, QWidget* parent) : kind_(kind), parent_(parent) {}
  bool Execute() override;

 private:
  FileDialogKind kind_;
  QWidget* parent_;
};

// Qt's name filter list of a "Description|pattern|..." filter.
std::vector<std::string> QtNameFilters(const std::string& filter);
// The suffix Qt appends for a default extension ("*.gmap" -> "gmap").
std::string QtDefaultSuffix(const std::string& defaultExtension);

// Answers from a script: each Execute takes the next answer (an empty one cancels, as does an
// exhausted script) and records the settings it was opened with.
class ScriptedFileDialog : public FileDialog {
 public:
  struct Opened {
    std::string filter, defaultExtension, fileName, initialDir;
  };
  std::deque<std::vector<std::string>> answers;
  std::vector<Opened> opened;

  bool Execute() override;
};

}  // namespace karovel::ui
