// Cut an address into what the web visit connects to. It never fails: a malformed
// address gives some host, path and port, and the visit fails when it uses them.
#pragma once

#include "text/text.h"

namespace vorlane {

// An address cut once into its parts. Each part keeps the reading it has always had,
// and on odd addresses they do not agree on where the host is: the scheme and the
// port go by how the address begins (in any case), the host leaves out the texts
// "https://" and "http://" wherever they stand (exact case), and the path begins at
// the first "/" after that host as it is found again in the address.
struct UrlSplit {
  Text scheme;    // "http://" or "https://" as the address begins with it, in any case; else empty
  Text host;      // lower case, without port
  Text path;      // from the first "/" after the host, query included; "/" if none
  int port = 80;  // the number after the host's ":"; 80, or 443 after "https://", if none
};

UrlSplit SplitUrl(std::string_view url);

// One part of SplitUrl each.
Text UrlHost(std::string_view url);
Text UrlPath(std::string_view url);
int UrlPort(std::string_view url);

// A path as a request line carries it: spaces, control bytes and DEL written as %XX,
// so that no address can break the line or start a header of its own with a CR LF.
// Everything else (GBK bytes, "%" itself) stays as it is. The web visit and the
// update's downloader both write their request lines with it.
Text RequestPath(std::string_view path);

// Whether an address may go to the shell to be opened: "http://" or "https://" (in
// any case), then a host that holds no "\\", and nowhere a space, a control byte, DEL
// or a double quote. A file path, a UNC path, file:, javascript: or any other
// protocol is not: the shell would run or hand it to whatever claims it.
bool IsWebAddress(std::string_view address);

// Whether a GBK path has the shape of a page the program wrote and may hand to the
// shell as a path: a drive letter, ":\", then names that are not "." or "..", not
// empty, not ending in a dot or a space, with no control byte and none of
// / : * ? " < > |, the last ending in ".html" (in any case) after at least one
// character. A UNC or "\\?\" path, a relative one, an address, a stream
// ("page.html:x") or any other type of file is not. Whether the file exists is the
// system port's to see.
bool IsLocalPagePath(std::string_view path);

}  // namespace vorlane
