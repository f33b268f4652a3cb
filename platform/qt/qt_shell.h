// The desktop's opener for documents and web addresses.
#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace lumaret {

class QtShell : public Shell {
 public:
  void openDocument(const std::string& pathOrAddress) override;
};

// A web address stays as it is; anything else is taken as a local file.
QUrl DocumentUrl(const std::string& pathOrAddress);

}  // namespace lumaret
