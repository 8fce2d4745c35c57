"""One line per check, and the tally."""


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, why):
        """Records a check: why is None when it passed, else what went wrong."""
        if why is None:
            self.passed += 1
            print("PASS " + name, flush=True)
        else:
            self.failed += 1
            print("FAIL %s: %s" % (name, why), flush=True)
        return why is None

    def summary(self):
        return "%d passed, %d failed" % (self.passed, self.failed)


def first_difference(pairs):
    """The first (what, got, expected) whose got differs from expected, as a text, or None."""
    for what, got, expected in pairs:
        if got != expected:
            return "%s: got %r, expected %r" % (what, got, expected)
    return None


def snippet(page_text, size=300):
    return page_text[:size] + ("..." if len(page_text) > size else "")
