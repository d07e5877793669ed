"""Serves a folder (the web page, build/web/) on 127.0.0.1 with the types a browser needs for
WebAssembly, and prints the address. Port 0 takes a free port; the address line says which.
    serve-web.py [--port N] [FOLDER]
The end-to-end tests start it the same way and read the address from its first line."""

import argparse
import functools
import http.server
import sys


class PageHandler(http.server.SimpleHTTPRequestHandler):
    # Browsers compile .wasm while it downloads only when it comes as application/wasm.
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def end_headers(self):
        # A rebuilt game must not meet an old page from the cache.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("folder", nargs="?", default="build/web")
    options = parser.parse_args()
    handler = functools.partial(PageHandler, directory=options.folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", options.port), handler) as server:
        print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
