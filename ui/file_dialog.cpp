#include "ui/file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace karovel::ui {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& filter) {
  std::vector<std::string> out;
  const std::vector<std::string> parts = Split(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns;
    for (const std::string& pattern : Split(parts[i + 1], ';')) {
      const std::string p = Trim(pattern);
      if (p.empty()) continue;
      if (!patterns.empty()) patterns += ' ';
      patterns += p;
    }
    if (patterns.empty()) continue;
    // Qt reads the patterns from the last parentheses; drop a copy the description already shows.
    std::string description = Trim(parts[i]);
    const std::string shown = "(" + patterns + ")";
    if (description.size() >= shown.size() &&
        description.compare(description.size() - shown.size(), shown.size(), shown) == 0)
      description = Trim(description.substr(0, description.size() - shown.size()));
    out.push_back(description + " " + shown);
  }
  return out;
}

std::string QtDefaultSuffix(const std::string& defaultExtension) {
  size_t start = 0;
  while (start < defaultExtension.size() &&
         (defaultExtension[start] == '*' || defaultExtension[start] == '.'))
    ++start;
  return defaultExtension.substr(start);
}

bool QtFileDialog::Execute() {
  QFileDialog dialog(parent_ ? parent_ : QApplication::activeWindow());
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setSizeGripEnabled(true);
  QStringList nameFilters;
  for (const std::string& f : QtNameFilters(filter)) nameFilters << QString::fromStdString(f);
  if (!nameFilters.isEmpty()) dialog.setNameFilters(nameFilters);
  dialog.setDefaultSuffix(QString::fromStdString(QtDefaultSuffix(defaultExtension)));
  if (!initialDir.empty()) dialog.setDirectory(QString::fromStdString(initialDir));
  if (kind_ == FileDialogKind::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);  // Qt asks before overwriting by default
  }
  if (!fileName.empty()) dialog.selectFile(QString::fromStdString(fileName));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  files.clear();
  for (const QString& file : chosen) files.push_back(file.toStdString());
  fileName = files.front();
  return true;
}

bool ScriptedFileDialog::Execute() {
  opened.push_back({filter, defaultExtension, fileName, initialDir});
  if (answers.empty()) return false;
  std::vector<std::string> answer = std::move(answers.front());
  answers.pop_front();
  if (answer.empty()) return false;
  files = std::move(answer);
  fileName = files.front();
  return true;
}

}  // namespace karovel::ui
