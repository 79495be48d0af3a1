// SPDX-License-Identifier: MIT
// The tests' own connection to the X server ($DISPLAY): synthetic keys through XTEST, windows
// and properties. Plain types only, so that test files need no Xlib header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrine::x11 {
class X11Display;
}

namespace tavrine::doubles {

class XFixture {
 public:
  XFixture();
  ~XFixture();

  // False without an X server (Xvfb is not installed): the tests that need one skip.
  bool isOpen() const;
  std::uint64_t root() const;

  // Presses or releases the key of `keysym` ("Control_L", "a") through XTEST.
  void key(const char* keysym, bool press);
  // Presses or releases pointer button `button` (4 and 5: a wheel step) through XTEST.
  void button(unsigned button, bool press);

  // A window at (x, y) of root-window pixels, mapped; `parent` 0 is the root window.
  std::uint64_t createWindow(int x, int y, int width, int height, std::uint64_t parent = 0);
  void destroyWindow(std::uint64_t window);
  void focus(std::uint64_t window);
  // Format-32 items of `type` ("CARDINAL", "WINDOW"), and format-8 bytes of `type` ("STRING",
  // "UTF8_STRING").
  void setLongs(std::uint64_t window, const char* property, const char* type,
                const std::vector<unsigned long>& items);
  void setBytes(std::uint64_t window, const char* property, const char* type,
                const std::string& bytes);
  void deleteProperty(std::uint64_t window, const char* property);
  // Format-32 items of any type; empty when the property is absent.
  std::vector<unsigned long> longs(std::uint64_t window, const char* property) const;
  // Makes `window` (0: none) the owner of `selection`, as a compositing manager does.
  void ownSelection(const char* selection, std::uint64_t window);

 private:
  std::unique_ptr<x11::X11Display> display_;
};

}  // namespace tavrine::doubles
