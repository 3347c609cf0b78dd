// Result codes shared by the step runner, the event handler and every
// section handler. 0 is success, -1 a generic failure, a positive n means
// "go to step n"; handlers add negative codes of their own.
#pragma once

constexpr int BRVN_CONTINUE = -100;
constexpr int BRVN_RETRY = -200;
constexpr int BRVN_USERBREAK = -300;
