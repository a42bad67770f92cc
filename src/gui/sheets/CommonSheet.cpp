#include "sheets/CommonSheet.h"

#include "resources/ResourceIds.h"
#include "send/SendJob.h"
#include "settings/CommonSheetRules.h"
#include "ui/UiServices.h"
#include "ui/UpDownControl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace CommonSendIds;
namespace Rules = CommonSheetRules;

namespace {

#ifdef Q_OS_WIN
const QString kProgramExtension = QStringLiteral("exe");
#else
// Programs here carry no extension; "exe" would be added to a typed name.
const QString kProgramExtension;
#endif

// Offers the program files for the field; the chosen path replaces its text,
// and the other fields keep what was typed into them.
void browseProgram(UiServices &ui, TemplatePage &page, int field)
{
    const FileDialogRequest request{QString(), kProgramExtension, page.text(field), QString(),
                                    FileDialogFlag::HideReadOnly};
    if (const std::optional<QString> chosen = ui.openFileName(&page, request))
        page.setText(field, QDir::toNativeSeparators(*chosen));
}

} // namespace

CCommonPage1::CCommonPage1(UiServices &ui, CommonSettings &settings, QStringList entryNames)
    : TemplatePage(IDD_COMMON_SEND), m_ui(ui), m_settings(settings),
      m_entryNames(std::move(entryNames))
{
    const auto onToggle = [this](int id, void (CCommonPage1::*rule)()) {
        connect(item<QAbstractButton>(id), &QAbstractButton::toggled, this, rule);
    };
    onToggle(IDC_OWN_SMTP, &CCommonPage1::ApplyModeRule);
    onToggle(IDC_QUILLON, &CCommonPage1::ApplyModeRule);
    onToggle(IDC_DIALUP, &CCommonPage1::ApplyDialUpRule);
    onToggle(IDC_EDITION_16, &CCommonPage1::ApplyLabelRule);
    onToggle(IDC_EDITION_32, &CCommonPage1::ApplyLabelRule);
    onClicked(IDC_FOLDER_BROWSE, this, &CCommonPage1::OnBrowseFolder);
    onClicked(IDC_PROGRAM_BROWSE, this, &CCommonPage1::OnBrowseProgram);
}

QList<FieldBinding> CCommonPage1::bindings()
{
    CommonSettings &s = m_settings;
    return {
        textField(IDC_ADDRESS, s.Address),
        textField(IDC_PROGRAM, s.Qsend),
        choiceField(IDC_ENTRY, s.Entry),
        textField(IDC_PASSWORD, s.Password),
        radioField(IDC_OWN_SMTP, s.UseQuillon),
        textField(IDC_SERVER, s.Server),
        textField(IDC_TIMEZONE, s.TimeZone),
        textField(IDC_USERNAME, s.UserName),
        radioField(IDC_EDITION_16, s.QuillonType),
        checkField(IDC_DIALUP, s.DialUp),
        unsignedField(IDC_PORT, s.PortNo),
        checkField(IDC_NO_SIGNATURE, s.NoSignature),
        textField(IDC_FOLDER, s.MailSavePath),
        unsignedField(IDC_REDIAL, s.Redial),
        unsignedField(IDC_INTERVAL, s.Interval),
        checkField(IDC_SAVE_MAIL, s.SaveMail),
        checkField(IDC_KEYRING, s.KeyringPasswords),
    };
}

void CCommonPage1::OnInitDialog()
{
    item<QComboBox>(IDC_ENTRY)->addItems(Rules::entryChoices(m_entryNames, m_settings.Entry));
    item<QComboBox>(IDC_SECURITY)->addItems(Rules::securityChoices());
    ShowValues();
    ApplyModeRule();
    for (int spin : {IDC_PORT_SPIN, IDC_REDIAL_SPIN, IDC_INTERVAL_SPIN})
        item<UpDownControl>(spin)->setRange(0, 0xFFFF);
}

void CCommonPage1::ShowValues()
{
    TemplatePage::ShowValues();
    // A store from before the setting shows what sending derives from it.
    item<QComboBox>(IDC_SECURITY)->setCurrentIndex(int(smtpSecurity(m_settings)));
}

std::optional<FieldError> CCommonPage1::TakeFieldValues()
{
    std::optional<FieldError> refused = TemplatePage::TakeFieldValues();
    if (!refused)
        m_settings.SmtpSecurity =
            smtpSecurityName(SmtpSecurity(item<QComboBox>(IDC_SECURITY)->currentIndex()));
    return refused;
}

void CCommonPage1::ApplyModeRule()
{
    // A stored mode other than 0 shows no radio checked and means the companion.
    const bool ownSmtp = checkedRadio(IDC_OWN_SMTP) == 0;
    enable(Rules::kOwnSmtpControls, ownSmtp);
    enable(Rules::kCompanionControls, !ownSmtp);
    ApplyDialUpRule();
    ApplyLabelRule();
}

void CCommonPage1::ApplyDialUpRule()
{
    enable(Rules::kDialUpControls, checkedRadio(IDC_OWN_SMTP) == 0 && isChecked(IDC_DIALUP));
}

void CCommonPage1::ApplyLabelRule()
{
    // In either mode, so that the greyed label names the edition shown too;
    // the edition can only change in the companion mode.
    if (const std::optional<QString> label = Rules::programLabel(checkedRadio(IDC_EDITION_16)))
        setText(IDC_PROGRAM_LABEL, *label);
}

void CCommonPage1::OnBrowseFolder()
{
    // The folder dialog opens on the folder shown; the process's current
    // directory is never changed for it.
    const std::optional<QString> folder = m_ui.pickFolder(
        this, QCoreApplication::translate("CCommonSheet", "ﾌｫﾙﾀﾞの選択"), text(IDC_FOLDER));
    if (folder)
        setText(IDC_FOLDER, QDir::toNativeSeparators(*folder));
}

void CCommonPage1::OnBrowseProgram()
{
    browseProgram(m_ui, *this, IDC_PROGRAM);
}

CCommonPage2::CCommonPage2(UiServices &ui, CommonSettings &settings)
    : TemplatePage(IDD_COMMON_EDIT), m_ui(ui), m_settings(settings)
{
    onClicked(CommonEditIds::IDC_EDITOR_BROWSE, this,
              [this] { browseProgram(m_ui, *this, CommonEditIds::IDC_EDITOR); });
}

QList<FieldBinding> CCommonPage2::bindings()
{
    return {textField(CommonEditIds::IDC_EDITOR, m_settings.Editer)};
}

CCommonSheet::CCommonSheet(UiServices &ui, const CommonSettings &settings, QStringList entryNames,
                           QWidget *parent)
    : PropertySheet(ui, QT_TRANSLATE_NOOP("PropertySheet", "共通設定"),
                    {&knownTemplate(IDD_COMMON_SEND), &knownTemplate(IDD_COMMON_EDIT)}, false,
                    parent),
      m_settings(settings), m_ui(ui)
{
    addPage(new CCommonPage1(ui, m_settings, std::move(entryNames)));
    addPage(new CCommonPage2(ui, m_settings));
}

void CCommonSheet::OnOK()
{
    if (takeCurrentPage() && OfferMissingFolder())
        accept();
}

bool CCommonSheet::OfferMissingFolder()
{
    // Mails are composed into this folder in either sending mode; a missing
    // one would only fail at the next command mail.
    const QString folder = m_settings.outgoingFolder();
    if (folder.isEmpty() || QFileInfo::exists(folder))
        return true;
    const QString shown = QDir::toNativeSeparators(folder);
    if (m_ui.messageBox(
            this,
            QCoreApplication::translate("CCommonSheet", "ﾌｫﾙﾀﾞ %1 がありません。\n作成しますか")
                .arg(shown),
            windowTitle(), MessageButtons::YesNo, MessageIcon::Question) != DialogAnswer::Yes)
        return true; // any text is a valid setting; the owner may create it later
    const QString error = Rules::createFolder(folder);
    if (error.isEmpty())
        return true;
    m_ui.messageBox(this,
                    QCoreApplication::translate("CCommonSheet", "ﾌｫﾙﾀﾞ %1 を作成できません。\n%2")
                        .arg(shown, error),
                    windowTitle(), MessageButtons::Ok, MessageIcon::Stop);
    if (setCurrentPage(0))
        page(0)->control(IDC_FOLDER)->setFocus();
    return false;
}
