#include "uikit/UILabel.h"

OBJC_IMPLEMENT(UILabel, text, textColor, setTextColor, highlightedTextColor, numberOfLines, setNumberOfLines,
               minimumScaleFactor, adjustsFontSizeToFitWidth)
