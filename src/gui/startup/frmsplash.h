#pragma once
#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

namespace tw {
namespace settings {
class DefaultTax;
class SettingsStore;
} // namespace settings

// The window the program starts with: name and version for two seconds, the default tax file
// made sure of, then the start-up decision. A key press in those two seconds ends the program.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    frmSplash(settings::SettingsStore& settings, settings::DefaultTax& defaultTax,
              QWidget* parent = nullptr);

    // Sets the texts and reads the shared default tax (recreating its file with "0" when it
    // cannot be read), then shows the window centred and starts Timer1.
    void Form_Load();

    // The folders read for the start-up decision; empty until read.
    QString gA;
    QString gLedger;

    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QTimer* Timer1 = nullptr;

    // The background picture, 600 x 407 pixels, drawn by the program itself.
    static QPixmap splashPicture();

signals:
    // The start-up decision asks for what opens next; the window registry answers.
    void mainWindowWanted();
    void ledgerChooserWanted();
    void estChooserWanted();

public slots:
    // Ends the splash and opens what follows: the main window when both folders are known,
    // otherwise the folder chooser(s) for the missing folder(s).
    void Timer1_Timer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    settings::SettingsStore& settings_;
    settings::DefaultTax& defaultTax_;
    QPixmap picture_;
    bool ticked_ = false;
};

} // namespace tw
