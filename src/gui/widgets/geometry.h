#pragma once

class QLabel;
class QWidget;

namespace tw {

// Window layouts are drawn up in twips (1/1440 inch), the unit the office's forms were laid
// out in. These convert them to pixels at the screen's logical DPI: 15 twips a pixel at 96 DPI.

// Horizontal and vertical twips to pixels on the primary screen (96 DPI when there is none).
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);
// The conversion at a given DPI, rounded to the nearest pixel.
int twipsToPixels(int twips, double dpi);

// Moves a window so that it is centred on its screen, keeping its size: by its outer frame
// once it is shown, by the window itself before (when the frame is not known yet).
void centreOnScreen(QWidget* window);

// Names a field for assistive technology after the caption beside it, without the colon
// ("Invoice Date:" names the invoice date box "Invoice Date"), and ties the caption to it
// unless it holds an "&", which it must show as written.
void nameAfterCaption(QLabel* caption, QWidget* field);

// Places a widget at (left, top) with the given size, all in twips, relative to its parent.
void placeTwips(QWidget* widget, int left, int top, int width, int height);

} // namespace tw
