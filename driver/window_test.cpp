// Checks of the window itself; they run only on a display (the window test
// script starts one).
#include "driver/window.h"

#include <gtest/gtest.h>

#if COMPACTOR_HAVE_FLTK
#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>
#endif

namespace compactor {
namespace {

TEST(WindowOnDisplay, ShowsForm1WithTheBoldAttendereLabel) {
  if (!display_disponibile()) GTEST_SKIP() << "no display";
#if COMPACTOR_HAVE_FLTK
  Finestra finestra;
  ASSERT_TRUE(finestra.visibile());
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

TEST(Window, WithoutADisplayThereIsNoWindowAndTheRunGoesOn) {
  if (display_disponibile()) GTEST_SKIP() << "a display is there";
  Finestra finestra;
  EXPECT_FALSE(finestra.visibile());
  EXPECT_FALSE(Finestra::mostra_messaggio(" Errore n. 1250"));
}

}  // namespace
}  // namespace compactor
