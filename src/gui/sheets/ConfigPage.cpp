#include "sheets/ConfigPage.h"

#include "config/ConfigPageLayout.h"
#include "config/PlaceholderMenus.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/UiServices.h"
#include "ui/UpDownControl.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

// The rows of one page, in table order.
template <typename F> void forEachRow(int page, F &&f)
{
    for (const KeywordControls &row : keywordControls()) {
        if (keywordInfo(row.keyword).page == page)
            f(row, keywordInfo(row.keyword));
    }
}

} // namespace

CConfigPage::CConfigPage(int page, MajordomoConfig &config, UiServices &ui, QWidget *parent)
    : TemplatePage(configPageTemplateId(page), parent), m_page(page), m_config(config), m_ui(ui)
{
    forEachRow(m_page, [this](const KeywordControls &row, const KeywordInfo &info) {
        const QString name = QString::fromLatin1(info.name);
        // Only the labels explain their keyword; the fields carry no tooltip.
        control(row.label)->setToolTip(loadString(row.tooltip));
        if (auto *list = item<QComboBox>(row.field)) {
            for (const char *entry : choiceEntries(info.choices))
                list->addItem(QString::fromLatin1(entry));
        }
        // Several "yes", "no" and "Default" stand on a page: a reader of the
        // screen hears whose they are.
        for (int id : {row.partner, row.useDefault}) {
            if (auto *button = item<QAbstractButton>(id))
                button->setAccessibleName(name + QLatin1Char(' ') + button->text());
        }
        if (info.kind == KeywordKind::YesNo)
            control(row.field)->setAccessibleName(name + QStringLiteral(" yes"));
        if (auto *button = item<QPushButton>(row.insert)) {
            // The template's text makes way for the icon. The button is only
            // a few pixels wide: without the style's padding the triangle
            // fills it instead of being cut away by the margins.
            button->setText(QString());
            button->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
            button->setIcon(resourceIcon(IDI_PLACEHOLDER));
            const int side = std::max(4, button->width() - 2);
            button->setIconSize(QSize(side, side));
            const Keyword target = row.keyword;
            connect(button, &QPushButton::clicked, this,
                    [this, target] { onPlaceholderButton(target); });
        }
    });
}

QList<FieldBinding> CConfigPage::keywordBindings(Keyword keyword)
{
    const KeywordControls &row = keywordControls(keyword);
    const KeywordInfo &info = keywordInfo(keyword);
    ConfigEntry &entry = m_config[keyword];
    switch (info.kind) {
    case KeywordKind::String:
        // A stored value that no entry of its list begins with is kept: the
        // server knows more values than the lists offer.
        if (info.choices != ChoiceList::None)
            return {keptChoiceField(row.field, entry.text)};
        return {textField(row.field, entry.text)};
    case KeywordKind::YesNo:
        return {radioField(row.field, entry.choice)};
    case KeywordKind::Integer:
        return {signedField(row.field, entry.number)};
    case KeywordKind::OptionalInteger:
        return {signedField(row.field, entry.number), checkField(row.useDefault, entry.useDefault)};
    case KeywordKind::Block:
        return {textField(row.field, entry.text)};
    }
    return {};
}

QList<FieldBinding> CConfigPage::bindings()
{
    QList<FieldBinding> all;
    forEachRow(m_page, [&](const KeywordControls &row, const KeywordInfo &) {
        all += keywordBindings(row.keyword);
    });
    return all;
}

void CConfigPage::OnInitDialog()
{
    ShowValues();
    forEachRow(m_page, [this](const KeywordControls &row, const KeywordInfo &) {
        if (auto *upDown = item<UpDownControl>(row.partner))
            upDown->setRange(0, 9999);
        enable(presenceControls(row), m_config[row.keyword].present);
    });
}

void CConfigPage::onPlaceholderButton(Keyword target)
{
    const PlaceholderMenu *menu = placeholderMenu(target);
    QWidget *button = control(keywordControls(target).insert);
    if (!menu || !button)
        return;
    QStringList labels;
    for (const Placeholder &entry : menu->entries)
        labels.append(QCoreApplication::translate("PlaceholderMenus", entry.label));
    const std::optional<int> chosen =
        m_ui.popupMenu(this, button->mapToGlobal(QPoint(button->width(), 0)), labels);
    if (chosen && *chosen >= 0 && *chosen < int(menu->entries.size()))
        insertPlaceholder(target, QString::fromUtf8(menu->entries[size_t(*chosen)].text));
}

void CConfigPage::insertPlaceholder(Keyword target, const QString &text)
{
    QWidget *field = control(keywordControls(target).field);
    if (!field || !field->isEnabled())
        return;
    // Straight into the field: the clipboard keeps what the owner copied.
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        edit->insert(text);
    else if (auto *lines = qobject_cast<QPlainTextEdit *>(field))
        lines->insertPlainText(text);
    else
        return;
    field->setFocus();
    // A text field's value is always taken.
    takeFields(*this, keywordBindings(target));
}
