// Checks of the window itself; they run only on a display (the window test
// script starts one).
#include "driver/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/error_stop.h"

#if COMPACTOR_HAVE_FLTK
#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace compactor {
namespace {

TEST(WindowOnDisplay, ShowsForm1WithTheBoldAttendereLabel) {
  if (!display_available()) GTEST_SKIP() << "no display";
#if COMPACTOR_HAVE_FLTK
  Window window;
  ASSERT_TRUE(window.visible());
  Fl_Window* w = Fl::first_window();
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(w->label(), "Form1");
  EXPECT_EQ(w->w(), 280);
  EXPECT_EQ(w->h(), 179);
  ASSERT_EQ(w->children(), 1);
  Fl_Widget* label = w->child(0);
  EXPECT_STREQ(label->label(), "Attendere");
  EXPECT_EQ(label->x(), 64);
  EXPECT_EQ(label->y(), 64);
  EXPECT_EQ(label->labelfont(), FL_HELVETICA_BOLD);
  EXPECT_EQ(label->labelsize(), 32) << "24 points";
#endif
}

#if COMPACTOR_HAVE_FLTK

// What the display holds in a window, pixel by pixel, as 0xRRGGBB.
struct Pixel {
  int w = 0, h = 0;
  std::vector<uint32_t> rgb;
  uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y * w + x)]; }
};

int error_x = 0;
int note_error_x(Display*, XErrorEvent* e) {
  error_x = e->error_code;
  return 0;
}

// One colour channel of `pixel` under `mask`, scaled to 0..255.
uint32_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long most = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / most);
}

// Reads window `id` of the display back; empty when it cannot.
Pixel read_window(unsigned long id) {
  Pixel p;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return p;
  error_x = 0;
  XErrorHandler before = XSetErrorHandler(note_error_x);
  XWindowAttributes a{};
  if (XGetWindowAttributes(d, id, &a) != 0 && error_x == 0) {
    XImage* img = XGetImage(d, id, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height), AllPlanes,
                            ZPixmap);
    XSync(d, False);
    if (img != nullptr && error_x == 0) {
      p.w = a.width;
      p.h = a.height;
      for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
          const unsigned long v = XGetPixel(img, x, y);
          p.rgb.push_back(channel(v, a.visual->red_mask) << 16 | channel(v, a.visual->green_mask) << 8 |
                          channel(v, a.visual->blue_mask));
        }
    }
    if (img != nullptr) XDestroyImage(img);
  }
  XSetErrorHandler(before);
  XCloseDisplay(d);
  return p;
}

bool dark(uint32_t rgb) {
  const uint32_t r = rgb >> 16 & 0xff, g = rgb >> 8 & 0xff, b = rgb & 0xff;
  return r + g + b < 3 * 0x60;
}

// The program's own window, read back from the display while the program
// holds it (the window test script passes its id): the label must be on
// the screen, not only among the toolkit's widgets. A window shown but
// never painted is all one colour.
TEST(ProgramWindow, HasTheLabelPaintedAndNothingElse) {
  const char* id = std::getenv("COMPACTOR_TEST_WINDOW_ID");
  if (id == nullptr || !display_available()) GTEST_SKIP() << "no program window to look at";
  const Pixel p = read_window(std::strtoul(id, nullptr, 0));
  ASSERT_EQ(p.w, 280) << "window " << id << " could not be read (X error " << error_x << ")";
  ASSERT_EQ(p.h, 179);
  const uint32_t bottom = p.at(0, 0);
  EXPECT_FALSE(dark(bottom)) << std::hex << bottom;

  // The label's box. Its text is not clipped: with a wide font it runs on
  // to the right, in the same rows. Everywhere else there is only the fill.
  const int x0 = 64, y0 = 64, x1 = 64 + 177, y1 = 64 + 53;
  int text = 0, other_ = 0, left_ = p.w, high = p.h;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const uint32_t c = p.at(x, y);
      if (y >= y0 && y < y1 && x >= x0) {
        if (x < x1 && dark(c)) {
          ++text;
          left_ = std::min(left_, x);
          high = std::min(high, y);
        }
      } else if (c != bottom && ++other_ <= 5) {
        ADD_FAILURE() << "pixel " << std::hex << c << " at " << std::dec << x << "," << y
                      << " where nothing is drawn";
      }
    }
  EXPECT_EQ(other_, 0) << "pixels where nothing is drawn";
  // A word in 32-pixel bold letters, not a speck, starting at the box's
  // top left.
  EXPECT_GT(text, 200) << "dark pixels of the label's text";
  EXPECT_LT(left_, x0 + 16);
  EXPECT_LT(high, y0 + 16);
}

// The box of the error stop, read back from the display: the message, and
// no icon left of it (the toolkit's icon sits in the first 60 columns).
TEST(ErrorBox, ShowsTheMessageWithoutAnIcon) {
  const char* id = std::getenv("COMPACTOR_TEST_BOX_ID");
  if (id == nullptr || !display_available()) GTEST_SKIP() << "no error box to look at";
  const Pixel p = read_window(std::strtoul(id, nullptr, 0));
  ASSERT_GT(p.w, 60) << "window " << id << " could not be read (X error " << error_x << ")";
  const uint32_t bottom = p.at(0, 0);
  EXPECT_FALSE(dark(bottom)) << std::hex << bottom;
  int icon = 0, text = 0;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      if (x < 60)
        icon += p.at(x, y) != bottom;
      else
        text += dark(p.at(x, y));
    }
  EXPECT_EQ(icon, 0) << "pixels of an icon";
  EXPECT_GT(text, 50) << "dark pixels of the message";
}

#endif

// The error stop on a display: the window test scripts (Linux and Wine)
// find its box, have a look at it and press OK. The program ends after OK,
// with status 3 and nothing on standard error.
TEST(ErrorBoxOnDisplayDeathTest, WaitsForOKAndEndsWithStatus3) {
  if (std::getenv("COMPACTOR_TEST_ERROR_BOX") == nullptr || !display_available())
    GTEST_SKIP() << "only with someone to press OK";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(errore("1250"), ::testing::ExitedWithCode(3), "^$");
}

TEST(Window, WithoutADisplayThereIsNoWindowAndTheRunGoesOn) {
  if (display_available()) GTEST_SKIP() << "a display is there";
  Window window;
  EXPECT_FALSE(window.visible());
  EXPECT_FALSE(Window::show_message(" Errore n. 1250"));
}

}  // namespace
}  // namespace compactor
