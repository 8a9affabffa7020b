#pragma once
#include "export/sheet.h"

#include <functional>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace tw {

class Dialogs;
class Host;
namespace settings {
class SettingsStore;
}

// What a window needs to let a table leave it: the dialogs, the host for messages and today's
// date, and the settings that decide the byte-order mark.
struct TableOutput {
    Dialogs& dialogs;
    Host& host;
    const settings::SettingsStore& settings;
};

// The table as a CSV file chosen through the save dialog; a message names the file that could
// not be written. False when cancelled or not saved.
bool exportTable(const exports::Table& table, const TableOutput& out, QWidget* parent);
// The table on the printer chosen in the printer dialog. False when cancelled.
bool printTable(const exports::Table& table, const TableOutput& out, QWidget* parent);
// The table as a PDF file chosen through the save dialog. False when cancelled or not saved.
bool saveTableAsPdf(const exports::Table& table, const TableOutput& out, QWidget* parent);

// The three buttons "Export...", "Print..." and "Save as PDF..." (cmdExport, cmdPrint,
// cmdPdf), added to `row`; each asks `table` for what the window shows at that moment.
struct TableButtons {
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdPdf = nullptr;
    void setEnabled(bool enabled) const;
};
TableButtons addTableButtons(QWidget* window, QBoxLayout* row, const TableOutput& out,
                             std::function<exports::Table()> table);

} // namespace tw
