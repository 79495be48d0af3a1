#include "overlay/text_measurer.h"

namespace tavrine {

std::string_view symbolName(Symbol symbol) {
  switch (symbol) {
    case Symbol::globe:
      return "globe";
    case Symbol::chevronDown:
      return "chevron.down";
  }
  return {};
}

}  // namespace tavrine
