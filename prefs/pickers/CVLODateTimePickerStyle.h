// The four kinds of picker row. The numbers are stored in page lists and
// passed between the cells and the overlay, so they never change.
#pragma once

using CVLODateTimePickerStyle = long;

inline constexpr CVLODateTimePickerStyle CVLODateTimePickerStyleDate = 0;
inline constexpr CVLODateTimePickerStyle CVLODateTimePickerStyleTime = 1;
inline constexpr CVLODateTimePickerStyle CVLODateTimePickerStyleTimeInterval = 2;
inline constexpr CVLODateTimePickerStyle CVLODateTimePickerStyleDateAndTime = 3;
