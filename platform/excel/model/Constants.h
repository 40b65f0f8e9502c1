#pragma once

namespace excel {

// Values of Excel's automation constants that the object model accepts.
constexpr int xlWBATWorksheet = -4167; // Workbooks.Add template: one worksheet
constexpr int xlLeft = -4131;          // HorizontalAlignment
constexpr int xlGeneral = 1;           // HorizontalAlignment: the default

// What a cell can hold. A text is at most this many UTF-16 units long.
constexpr int MaxTextLength = 32767;
constexpr int XlsxMaxRows = 1048576;
constexpr int XlsxMaxColumns = 16384;
constexpr int XlsMaxRows = 65536;
constexpr int XlsMaxColumns = 256;

} // namespace excel
