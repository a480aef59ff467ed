// The listing page's fixed text, made at build time from listing/page/ (its markup, style
// sheet and script): the page up to its title, and from its title to the first data block.
#pragma once

#include <string_view>

extern const std::string_view kListingPageBeforeTitle;
extern const std::string_view kListingPageAfterTitle;
