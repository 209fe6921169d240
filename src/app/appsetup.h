#pragma once

namespace zovi {

// What the program sets up once its application object exists, before any window: its name,
// the C locale for libraries written in C and the program's number and date conventions.
void SetUpApplication();

} // namespace zovi
