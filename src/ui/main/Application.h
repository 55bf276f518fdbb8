// The application-wide set-up of the windowed program: names for the settings
// store and the standard font.
#pragma once

namespace vorel {

// Organisation and application name, Arial as the font. No application display
// name: the window system would append it to every caption, and each window shows
// exactly the caption it sets.
void ConfigureApplication();

}  // namespace vorel
