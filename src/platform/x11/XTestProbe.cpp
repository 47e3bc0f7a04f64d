#include "platform/x11/XTestProbe.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace tessaly::XTestProbe {

bool displayHasXTest(const QByteArray &display)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr), &xcb_disconnect);
    if (!connection || xcb_connection_has_error(connection.get()))
        return false;
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(connection.get(), &xcb_test_id);
    return extension && extension->present;
}

} // namespace tessaly::XTestProbe
