#pragma once
// A check for translators and tests: with MOCHITAMA_CHECK_FIT set, every
// label and button whose text does not fit inside it when it is painted is
// told on standard error, once per control and text:
//   mochitama: does not fit: Form1.Label2 (321 × 25 px, needs 350 × 25): "…"
namespace qt_backend {

// Watches the application's paints when MOCHITAMA_CHECK_FIT is set.
void installFitCheckWhenAsked();

}  // namespace qt_backend
