// Linked into every program of the AddressSanitizer build (root CMakeLists.txt).
//
// Qt unloads its plugins and Mesa its driver when a program ends, before the leak check runs.
// What such a library still points to from its own static data then looks leaked, from an
// "unknown module" that no suppression can name. Libraries stay loaded instead, as they would
// until the process ends anyway.

extern "C" int dlclose(void *) noexcept
{
    return 0;
}
