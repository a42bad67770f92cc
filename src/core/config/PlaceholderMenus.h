#pragma once

#include "config/KeywordTable.h"

#include <span>

// One entry of a placeholder menu: what the owner reads, what goes into the
// field. The server expands the placeholder when it sends list mail.
struct Placeholder
{
    const char *label; // UTF-8, translated in the context "PlaceholderMenus"
    const char *text;
};

// The menu of the placeholder button beside a keyword's field.
struct PlaceholderMenu
{
    Keyword target;
    std::span<const Placeholder> entries;
};

// Null when the keyword has no placeholder button.
const PlaceholderMenu *placeholderMenu(Keyword target);
