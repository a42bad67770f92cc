#include "resources/TemplateTexts.h"

#include "commands/CommandTable.h"
#include "resources/StringTable.h"

#include <QCoreApplication>

namespace {

bool needsTranslation(const char *text)
{
    if (!text)
        return false;
    for (const char *c = text; *c; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80)
            return true;
    }
    return false;
}

QByteArray quoted(const char *text)
{
    QByteArray out = "\"";
    for (const char *c = text; *c; ++c) {
        switch (*c) {
        case '\n':
            out += "\\n";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += *c;
            break;
        default:
            out += *c;
        }
    }
    return out + '"';
}

class Catalogue
{
public:
    void add(const QByteArray &context, const char *text, const QByteArray &where)
    {
        if (!needsTranslation(text))
            return;
        m_out += "    //: " + where + '\n';
        m_out +=
            "    QT_TRANSLATE_NOOP(" + quoted(context.constData()) + ", " + quoted(text) + "),\n";
    }
    void addTemplate(const DialogTemplate &t)
    {
        const QByteArray context = templateContext(t);
        const QByteArray caption = t.caption ? QByteArray(t.caption) : QByteArray();
        add(context, t.caption, "caption of " + context);
        for (const ControlTemplate &row : t.controls) {
            const QByteArray where = context + " \"" + caption + "\", control " +
                                     QByteArray::number(row.id) + " (" +
                                     QByteArray::number(row.rect.width()) + " wide)";
            if (row.kind != ControlKind::Icon)
                add(context, row.text, where);
            add(context, row.name, where + ", name read by screen readers");
        }
    }
    QByteArray text() const { return m_out; }

private:
    QByteArray m_out;
};

} // namespace

QByteArray templateContext(const DialogTemplate &t)
{
    return t.id == 0 ? QByteArray("PropertySheet") : "Dialog" + QByteArray::number(t.id);
}

QString templateText(const DialogTemplate &t, const char *text)
{
    if (!text || !*text)
        return {};
    return QCoreApplication::translate(templateContext(t).constData(), text);
}

QByteArray dataTextCatalogue()
{
    Catalogue catalogue;
    for (const DialogTemplate &t : dialogTemplates())
        catalogue.addTemplate(t);
    catalogue.addTemplate(propertySheetFrame("", {100, 100}, true));
    for (int id : stringIds())
        catalogue.add(kStringTableContext, stringSource(id), "string " + QByteArray::number(id));
    for (const CommandTab &tab : commandTabs()) {
        const QByteArray where = "command tab " + QByteArray::number(int(tab.kind));
        catalogue.add(kCommandTableContext, tab.label, where + ": the tab's text");
        catalogue.add(kCommandTableContext, tab.fieldLabel, where + ": the label of the field");
        catalogue.add(kCommandTableContext, tab.browseFilter,
                      where + ": file types of the browse dialog, text|pattern pairs");
    }
    return "// Written by tavelin-texts from the dialog templates and the text tables;\n"
           "// never compiled. It shows lupdate the texts that are data, not tr() calls.\n"
           "// After changing a template or table text: build/tavelin-texts >\n"
           "// translations/template_texts.cpp, then build the update_translations target.\n"
           "// clang-format off\n"
           "const char *const kDataTexts[] = {\n" +
           catalogue.text() + "};\n// clang-format on\n";
}
