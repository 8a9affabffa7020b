#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

namespace tw {
class Dialogs;

// The instructions window: how to prepare the customer data, and a button that prints the
// window as it is shown.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the two instruction labels and shows the window centred.
    void Form_Load();
    // "Print Instructions": the printer dialog, then one page with the window's image.
    void cmdPrint_Click();

    static QString instructHeadText();
    static QString instructText();
    // The keys of the ledger window and the date boxes.
    static QString keysText();

    QLabel* lblExport = nullptr;
    QLabel* lblInstructHead = nullptr;
    QLabel* lblInstruct = nullptr;
    QLabel* lblKeys = nullptr;
    QPushButton* cmdPrint = nullptr;

private:
    Dialogs& dialogs_;
};

} // namespace tw
