// The address of the social network's share page for the program's web page.
#pragma once

#include <QUrl>

// "https://www.facebook.com/sharer/sharer.php?u=" followed by the program's
// page (host name chosen at build time, then "/blog/?index=126"). The page is
// not percent-encoded: its "/" and "?" stand literally in the query.
QUrl shareUrl();
