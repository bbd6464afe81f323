#pragma once
// The wizard TZOV: welcome text, licence, destination directory, program folder and
// shortcuts, install type, the action after installing, and the install's progress page.
// It reads the run's settings and offer, keeps the user's choices in its controls, and
// leaves them in the run: the choices for the install, the end choice when it closes.
#include "install/setup_run.h"
#include "install/wizard/install_engine.h"
#include "shell/Shortcut.h"
#include "ui/buttons.h"
#include "ui/caption_gradient.h"
#include "ui/containers.h"
#include "ui/form.h"
#include "ui/labels.h"
#include "ui/pictures.h"
#include "ui/progress.h"
#include "ui/text_controls.h"

namespace zov {

class TZOV : public ui::TForm {
public:
    TZOV();
    ~TZOV() override;

    ui::TNotebook Notebook1{this};

    ui::TPage page1{Notebook1, "page1"};
    ui::TImage WelcomeIcon{&page1};
    ui::TMemo WelcomeText{&page1};

    ui::TPage Page2{Notebook1, "Page2"};
    ui::TLabel Label3{&Page2};
    ui::TMemo Memo3{&Page2};
    ui::TPanel LicenseStrip{&Page2};
    ui::TFlatButton decline{&LicenseStrip};
    ui::TFlatButton accept{&LicenseStrip};
    ui::TLabel Label4{&LicenseStrip};

    ui::TPage Page3{Notebook1, "Page3"};
    ui::TImage DestinationIcon{&Page3};
    ui::TMemo Memo2{&Page3};
    ui::TGroupBox DestinationBox{&Page3};
    ui::TDirectoryEdit Main_Dir{&DestinationBox};

    ui::TPage Page4{Notebook1, "Page4"};
    ui::TLabel FoldersTitle{&Page4};
    ui::TLabel MainFolderLabel{&Page4};
    ui::TLabel CreateFolder{&Page4};
    ui::TCheckBox CheckBox1{&Page4};
    ui::TCheckBox CheckBox2{&Page4};
    ui::TLabel DesktopLabel{&Page4};
    ui::TCheckListBox DK{&Page4};
    ui::TLabel StartMenuLabel{&Page4};
    ui::TCheckListBox SM{&Page4};

    ui::TPage installtype{Notebook1, "installtype"};
    ui::TLabel InstallTypeTitle{&installtype};
    ui::TRadioButton full{&installtype};
    ui::TRadioButton min{&installtype};

    ui::TPage Page5{Notebook1, "Page5"};
    ui::TLabel ReadyTitle{&Page5};
    ui::TRadioButton RadioButton1{&Page5};
    ui::TLabel Label2{&Page5};
    ui::TRadioButton RadioButton2{&Page5};
    ui::TRadioButton reboot{&Page5};
    ui::TMemo Memo4{&Page5};

    ui::TPage installPage{Notebook1, "install"};  // named "install" like the Install button
    ui::TLabel source{&installPage};
    ui::TLabel Dest{&installPage};
    ui::TProgressBar ProgressBar1{&installPage};
    ui::TFlatButton StopButton{&installPage};  // "Cancel" while the install runs

    ui::TPanel Panel1{this};
    ui::TBevel Rule{&Panel1};
    ui::TFlatButton cancel{&Panel1};
    ui::TFlatButton back{&Panel1};
    ui::TFlatButton next{&Panel1};
    ui::TFlatButton install{&Panel1};

    ui::TCaptionGradient MarsCaption1{*this};
    TShortcuts Shortcuts1;

    void FormCreate();
    void FormShow();
    void nextClick();
    void backClick();
    void acceptClick();
    void declineClick();
    void cancelClick();
    void installClick();
    void Notebook1PageChanged();

    // The install routine; it ends with CloseAfterInstall.
    void DoInstall();
    // The user's choices as the install engine takes them.
    TInstallChoices Choices() const;
    // The restart and launch choices as the run offers them (done as the wizard shows).
    void TakeOffer(const TEndOffer& offer);
    // What follows the install as the ready page holds it.
    TSetupEnd EndChoice() const;
    void CloseAfterInstall();
    // The user asked to stop the running install and confirmed it.
    bool StopRequested() const { return stopRequested_; }
    // Cancel, Escape or the close box while the install runs: asks, and on Yes the install
    // stops and undoes its work.
    void StopButtonClick();

private:
    void CancelSetup();
    // The destination page's text checked, made full (and extended by the product's folder
    // where it names a place the system shares); false, after saying why, when refused.
    bool AcceptDestination();
    void Main_DirPicked();
    void ShowReadyPage();
    void RebuildSummary();
    // Closing by any other way than Cancel, Decline or the end of the install (the title
    // bar's close box, Alt+F4) cancels the setup too: nothing was installed.
    void FormClose(ui::TCloseAction& action);
    // The close box or Alt+F4 while the buttons are there asks as Cancel does; true when
    // the user keeps the wizard open.
    bool KeepOpen();
    // The drives the install writes on have room for it, with the install type chosen so
    // far; otherwise the destination page is shown, saying which drive lacks how much.
    bool RoomForInstall();
    bool finished_ = false;
    bool installing_ = false;
    bool stopRequested_ = false;
};

// The wizard, while it exists.
inline TZOV* ZOV = nullptr;

}  // namespace zov
