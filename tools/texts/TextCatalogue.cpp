// tavelin-texts: prints the translatable texts kept as data (dialog templates,
// the string table, the command table) as a source file lupdate reads; its
// output is translations/template_texts.cpp.
#include "resources/TemplateTexts.h"

#include <cstdio>

int main()
{
    const QByteArray text = dataTextCatalogue();
    return std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) ? 0
                                                                                                : 1;
}
