// SPDX-License-Identifier: MIT
// A platform image (an application's icon, a status-bar symbol); the core only passes it on to be
// drawn by the shell that made it.
#pragma once

#include <memory>

namespace tavrine {

class Image {
 public:
  virtual ~Image() = default;
};
using ImageRef = std::shared_ptr<const Image>;

}  // namespace tavrine
