#pragma once

namespace zk {

// The album asks for the Windows fonts "ＭＳ 明朝", "ＭＳ ゴシック" and
// "ＭＳ Ｐゴシック" by name, on screen and on paper. This maps each name once
// to the IPA font of the same design (Debian's fonts-ipafont), or to Noto CJK
// where IPA is missing. Call it once at start-up, after the application object
// exists and before any font is used.
void install_font_substitutes();

} // namespace zk
