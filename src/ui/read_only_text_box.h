// A multi-line text box that the user can scroll, select and copy from but not change:
// words wrap at its width and its vertical scroll bar is always there.
#pragma once

#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <string>

namespace vexa {

class ReadOnlyTextBox : public Fl_Text_Display {
  public:
    ReadOnlyTextBox(int x, int y, int w, int h);
    ~ReadOnlyTextBox() override;

    // Shows `text` (line ends LF) from its first line, with nothing selected.
    void text(const std::string& text);
    std::string text() const;

    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;

  private:
    Fl_Text_Buffer buffer_;
};

}  // namespace vexa
