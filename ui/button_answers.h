// Message-box buttons as a terminal offers them: the buttons a style word
// shows, and the answer a typed line gives.
#pragma once

#include <string>
#include <vector>

struct ButtonChoice {
  const char* label;  // "OK", "Cancel", "Retry", ...
  int code;           // the button code Ask returns
};

// The buttons of a message-box style word (its low four bits), in order.
std::vector<ButtonChoice> ButtonsOfStyle(int style);

// The index of the default button a style word asks for (its bits 8 to 11,
// as the second, third or fourth button); 0 when it names none there is.
size_t DefaultButtonOfStyle(int style);

// The button a typed line names (any case, its first letter enough), or 0.
int ButtonFromAnswer(const std::string& answer, const std::vector<ButtonChoice>& buttons);

// The answer when input has ended: Cancel, else No, else the only button.
int ButtonAtEndOfInput(const std::vector<ButtonChoice>& buttons);
