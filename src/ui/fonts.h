#pragma once

// The design's font family "Microsoft YaHei" does not exist off Windows:
// show it with an installed CJK family instead. Call once after the
// application object exists (the entry point and screenshot tests do).
void substituteFonts();
