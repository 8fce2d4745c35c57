"""A small browser: cookies, UTF-8 forms, redirects seen one by one, 127.0.0.1 only (from
127.0.0.1, or from another loopback address to be another client)."""

import http.client
import http.cookiejar
import urllib.error
import urllib.parse
import urllib.request


class Reply:
    def __init__(self, status, url, headers, body):
        self.status = status
        self.url = url
        self.headers = headers
        self.text = body.decode(charset(headers), errors="replace")

    def location(self):
        return self.headers.get("Location", "")

    def path(self):
        return urllib.parse.urlsplit(self.url).path

    def brief(self):
        return "HTTP %d %s" % (self.status, self.url)


def charset(headers):
    for part in headers.get("Content-Type", "").split(";"):
        name, _, value = part.strip().partition("=")
        if name.lower() == "charset" and value:
            return value.strip('"')
    return "utf-8"


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, req, fp, code, msg, headers, newurl):
        return None


class FromAddress(urllib.request.HTTPHandler):
    """Connects from a given local address: any of 127.0.0.0/8 reaches a server on 127.0.0.1,
    which then sees that address as the client's."""

    def __init__(self, address):
        super().__init__()
        self.address = address

    def http_open(self, req):
        return self.do_open(http.client.HTTPConnection, req, source_address=(self.address, 0))


class Client:
    def __init__(self, base, source=None):
        """source: the local address to connect from (a loopback address), else the default."""
        self.base = base
        self.requests = 0
        self.not_utf8 = []  # pages served with another charset than UTF-8
        self.jar = http.cookiejar.CookieJar()
        handlers = [urllib.request.HTTPCookieProcessor(self.jar), NoRedirect(),
                    urllib.request.ProxyHandler({})]
        if source:
            handlers.append(FromAddress(source))
        self.opener = urllib.request.build_opener(*handlers)

    def cookie(self, name):
        """The value of a cookie the server set, or None."""
        return next((c.value for c in self.jar if c.name == name), None)

    def url(self, path_or_url, params=None):
        url = urllib.parse.urljoin(self.base + "/", path_or_url)
        if urllib.parse.urlsplit(url).netloc != urllib.parse.urlsplit(self.base).netloc:
            raise ValueError("refusing a request off the test server: " + url)
        if params:
            url += ("&" if "?" in url else "?") + encode(params)
        return url

    def get(self, path, params=None, follow=True, headers=None):
        return self.send(urllib.request.Request(self.url(path, params), headers=headers or {}),
                         follow)

    def post(self, path, fields, follow=True, headers=None):
        request = urllib.request.Request(
            self.url(path), data=encode(fields).encode("ascii"),
            headers=dict(headers or {}, **{"Content-Type": "application/x-www-form-urlencoded"}))
        return self.send(request, follow)

    def post_body(self, path, body, content_type):
        """A POST of raw bytes, redirects not followed."""
        request = urllib.request.Request(self.url(path), data=body,
                                         headers={"Content-Type": content_type})
        return self.send(request, False)

    def send(self, request, follow):
        reply = self.open(request)
        for _ in range(5):
            if not (follow and reply.status in (301, 302, 303, 307)):
                break
            reply = self.open(urllib.request.Request(self.url(reply.location())))
        return reply

    def open(self, request):
        self.requests += 1
        try:
            with self.opener.open(request, timeout=60) as response:
                reply = Reply(response.status, response.url, response.headers, response.read())
        except urllib.error.HTTPError as error:
            reply = Reply(error.code, request.full_url, error.headers, error.read())
        self.note_charset(reply)
        return reply

    def note_charset(self, reply):
        content_type = reply.headers.get("Content-Type", "")
        if reply.status == 200 and content_type.startswith("text/html"):
            if charset(reply.headers).lower() != "utf-8" or "charset" not in content_type.lower():
                self.not_utf8.append("%s (%s)" % (reply.path(), content_type))


def encode(pairs):
    """Form or query encoding in UTF-8; pairs is a dict or a list of (name, value)."""
    items = pairs.items() if isinstance(pairs, dict) else pairs
    return urllib.parse.urlencode([(k, "" if v is None else str(v)) for k, v in items],
                                  encoding="utf-8")
