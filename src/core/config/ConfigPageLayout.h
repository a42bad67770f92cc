#pragma once

#include "config/KeywordTable.h"
#include "resources/DialogTemplate.h"

#include <array>
#include <vector>

// The controls that show one keyword on its config page; 0 where the
// keyword's kind has no such control.
struct KeywordControls
{
    Keyword keyword;
    int label;      // static text with the keyword's name; it carries the tooltip
    int field;      // edit, multi-line edit, drop-down list, or the "yes" button
    int partner;    // the "no" button, or the up-down control of an integer
    int useDefault; // the "Default" check box of an optional integer
    int insert;     // the placeholder button beside the field
    int tooltip;    // the string table entry of the tooltip
};

// One row per keyword, in the keyword table's order.
const std::array<KeywordControls, KeywordCount> &keywordControls();
inline const KeywordControls &keywordControls(Keyword k)
{
    return keywordControls()[static_cast<size_t>(k)];
}

// The controls that a keyword's presence enables: its field controls, not its
// label, and not its placeholder button, which is never disabled.
std::vector<int> presenceControls(const KeywordControls &row);

inline constexpr int ConfigPageCount = 5;
// The template of page 1 to 5.
int configPageTemplateId(int page);
// The page's template as the layout rule places its keywords: labels at the
// left edge, fields beside them, one row under the other in table order.
DialogTemplate configPageTemplate(int page);
