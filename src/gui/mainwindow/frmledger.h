#pragma once
#include "entry/entryfields.h"
#include "sources/listload.h"
#include "widgets/completingcombobox.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QFrame;

namespace tw {
class DateEntryBox;
class Dialogs;
class DosPaths;
class Host;
class DescriptionBox;
class FieldEvents;
class PanelButton;
namespace settings {
class DefaultTax;
class SettingsStore;
} // namespace settings

// The one working window: the operator picks a customer, types an invoice and posts it.
// Handlers are thin: they read controls, call the core, write controls.
//
// The window is split over several files by concern:
//   frmledger.cpp        constructor, menu, mode options, handlers wired to events, closing
//   frmledger_layout.cpp the controls: one table of name, kind, caption, place and limit
//   frmledger_load.cpp   start-up (Form_Load) and Refresh, filling the two lists
//   frmledger_entry.cpp  entry fields, amounts and tax, the two option check boxes
//   frmledger_post.cpp   customer lookup, Clear, Post
//   frmledger_job.cpp    job lookup in the work-in-progress files
class frmLedger : public QMainWindow, private sources::ListLoadView {
    Q_OBJECT
public:
    frmLedger(const DosPaths& paths, settings::SettingsStore& settings,
              settings::DefaultTax& defaultTax, Host& host, Dialogs& dialogs,
              QWidget* parent = nullptr);
    ~frmLedger() override;

    // Start-up: shows the window, then restores the options, reads the folders and fills the
    // lists. Called once by the start-up decision after construction.
    void Form_Load();

    // The folders this window works with, read when it loads (the estimating folder again at
    // Refresh).
    QString gA;
    QString gLedger;

    // ---- Controls (object names equal the member names) ----
    QLabel* Label13 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label14 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtLedger = nullptr;
    QLabel* lblNew = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    DateEntryBox* AeDate = nullptr;
    QLabel* Label2 = nullptr;
    CompletingComboBox* cboCust = nullptr;
    QLabel* Label4 = nullptr;
    DateEntryBox* AeDue = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtInvoice = nullptr;
    QLabel* Label10 = nullptr;
    CompletingComboBox* cboProd = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txtJob = nullptr;
    QLabel* Label11 = nullptr;
    DescriptionBox* txtDesc = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* txtPO = nullptr;
    QLabel* lblQuan = nullptr;
    QLineEdit* txtQuan = nullptr;
    QLabel* lblAmt = nullptr;
    QLineEdit* txtAmt = nullptr;
    QLabel* lblSearch = nullptr;
    QLineEdit* txtSearch = nullptr;
    QLabel* lblDefaultTax = nullptr;
    QLineEdit* txtDefaultTax = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* lblTax = nullptr;
    QLineEdit* txtTax = nullptr;
    QLabel* lblInvAmt = nullptr;
    QLineEdit* txtInvAmt = nullptr;
    QLabel* lblVersion = nullptr;
    QFrame* Picture1 = nullptr;
    QRadioButton* optMil = nullptr;
    QRadioButton* optDos = nullptr;
    PanelButton* btnGetList = nullptr;
    QLabel* lblRefresh = nullptr;
    PanelButton* btnClear = nullptr;
    QLabel* lblClear = nullptr;
    PanelButton* btnPost = nullptr;
    QLabel* lblPost = nullptr;
    QLabel* Data1 = nullptr; // database links: kept below the client area, never seen
    QLabel* Data2 = nullptr;

    QMenu* File = nullptr;
    QAction* mnuPostFromFile = nullptr; // "Post from File..."
    QAction* mnuDefaultTax = nullptr;
    QAction* mnuLedgerPath = nullptr;
    QAction* mnuEstPath = nullptr;
    QAction* mnuDbPath = nullptr; // "Set Database Path"
    QAction* mnuText = nullptr;
    QAction* mnuDatabase = nullptr;
    QMenu* View = nullptr;
    QAction* mnuCustomerLedger = nullptr;
    QAction* mnuFind = nullptr;     // "Find..."
    QAction* mnuActivity = nullptr; // "Activity Report..."
    QAction* mnuHelp = nullptr;

    // ---- Handlers (named control_event) ----
    // frmledger.cpp
    void optDos_Click();
    void optMil_Click();
    void mnuDefaultTax_Click();
    void mnuLedgerPath_Click();
    void mnuEstPath_Click();
    void mnuDbPath_Click();
    void mnuHelp_Click();
    void mnuCustomerLedger_Click();
    void mnuFind_Click();
    void mnuActivity_Click();
    void mnuPostFromFile_Click();
    // Selecting an option from code runs its click when it was not selected before.
    void selectMode(bool database);

    // frmledger_load.cpp
    void lblRefresh_Click();
    // Names given a ledger elsewhere join the customer list; the entry keeps its text.
    void learnCustomers(const QStringList& names);

    // frmledger_entry.cpp
    void AeDate_LostFocus();
    void AeDue_LostFocus();
    void txtInvoice_LostFocus();
    void txtJob_LostFocus();
    void txtAmt_LostFocus();
    void txtDefaultTax_LostFocus();
    void Check1_Click();
    void Check2_Click();
    // Key handlers receive the character code (13 for Enter) and may set it to 0 to consume it.
    void txtInvoice_KeyPress(int& keyAscii);
    void txtJob_KeyPress(int& keyAscii);
    void txtPO_KeyPress(int& keyAscii);
    void txtQuan_KeyPress(int& keyAscii);
    void cboProd_KeyPress(int& keyAscii);
    void txtDesc_KeyPress(int& keyAscii);
    void txtAmt_KeyPress(int& keyAscii);
    void txtDefaultTax_KeyPress(int& keyAscii);
    // Puts money text into a money box (txtAmt, txtTax, txtInvAmt) without cutting it: the
    // box's limit of 10 typed characters is raised to fit longer money text and comes back
    // once the box holds 10 characters or fewer.
    static void setMoneyText(QLineEdit* box, const QString& text);

    // frmledger_post.cpp
    void cboCust_LostFocus();
    void cboCust_Click(); // a name chosen from the list
    void cboCust_KeyPress(int& keyAscii);
    // The customer selection: looks the customer box's text up in the ledger index.
    // fromLeaving: the customer box lost the focus (may repair a damaged last index record).
    void lookupCustomer(bool fromLeaving);
    void lblClear_Click();
    void lblPost_Click();

    // frmledger_job.cpp
    void txtSearch_KeyPress(int& keyAscii);
    void txtSearch_LostFocus();

signals:
    // The menu asks for another window; the window registry answers.
    void ledgerChooserWanted();
    void estChooserWanted();
    void helpWanted();
    // The Find and Invoicing Activity windows, over the ledger folder (DOS text).
    void findWanted(const QString& ledgerFolder);
    void activityWanted(const QString& ledgerFolder);
    // The Customer Ledger window for that ledger of the ledger folder (DOS text).
    void customerLedgerWanted(const QString& ledgerFolder, const QString& numberText,
                              const QString& customerName);
    // The preview of a spreadsheet file of invoices for the ledger folder.
    void postFromFileWanted(const QString& ledgerFolder, const QString& path);
    // A record was appended to that ledger: an open view of it reads it again.
    void ledgerPosted(const QString& ledgerFolder, const QString& numberText);

protected:
    void closeEvent(QCloseEvent* event) override; // Form_QueryUnload

private:
    // What the start-up and Refresh show, step by step (frmledger_load.cpp).
    void showMatchOption(bool ticked) override;
    void showVersion(const QString& text) override;
    void showMode(sources::ListMode mode) override;
    void showLedgerFolder(const QString& folder) override;
    void showEstFolder(const QString& folder) override;
    void showDefaultTax() override;
    void showProducts(const QStringList& entries) override;
    void showCustomers(const QStringList& entries) override;

    // The Match option's rule: the invoice number from the job number (frmledger_entry.cpp).
    void matchInvoice(entry::MatchTrigger trigger);
    // With the tax switch on, the tax boxes follow the amount and percent shown.
    void taxFollows();

    void buildLayout(); // frmledger_layout.cpp
    void buildMenu();
    void connectHandlers();
    void setMenusForMode(bool database);

    const DosPaths& paths_;
    settings::SettingsStore& settings_;
    settings::DefaultTax& defaultTax_; // the run's, shared with the splash window
    Host& host_;
    Dialogs& dialogs_;
    // Hands the fields' leaving and keys to the handlers above.
    FieldEvents* events_ = nullptr;
    // Set while the event that made a leave handler fill the entry is being handled.
    bool filledOnLeaving_ = false;
    // The Post panel's press came with such a fill: its click does not post.
    bool postWithheld_ = false;
    // Set while a job lookup has begun and not yet succeeded.
    bool lookupPending_ = false;
};

} // namespace tw
