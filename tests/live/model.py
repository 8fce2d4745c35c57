"""The sample project as the generated application sees it (see cli/SampleModel.cpp)."""


class Member:
    def __init__(self, name, kind, query=False, ref=None):
        self.name = name
        self.kind = kind  # "str", "int", "float", "date" or "ref"
        self.query = query
        self.ref = ref  # the referenced class name


class Class:
    def __init__(self, name, friend, key, display, members, key_comment):
        self.name = name
        self.friend = friend
        self.key = key
        self.display = display
        self.members = members
        self.key_comment = key_comment

    def obj(self):
        return self.name[0].lower() + self.name[1:]

    def member(self, name):
        return next(m for m in self.members if m.name == name)

    def key_member(self):
        return self.member(self.key)

    def auto_key(self):
        return self.key_member().kind == "int"


def M(name, kind, query=False, ref=None):
    return Member(name, kind, query, ref)


CLASSES = {c.name: c for c in [
    Class("BookType", "图书类别", "typeId", "typeName",
          [M("typeId", "int"), M("typeName", "str", True), M("description", "str")], "类别编号"),
    Class("Book", "图书", "barcode", "bookName",
          [M("barcode", "str", True), M("bookName", "str", True),
           M("bookType", "ref", True, "BookType"), M("author", "str", True),
           M("price", "float"), M("publishDate", "date", True), M("stock", "int")], "图书条形码"),
    Class("Reader", "读者", "readerNo", "readerName",
          [M("readerNo", "str", True), M("readerName", "str", True), M("age", "int"),
           M("telephone", "str")], "读者编号"),
    Class("Loan", "借阅", "loanId", "loanId",
          [M("loanId", "int"), M("book", "ref", True, "Book"), M("reader", "ref", True, "Reader"),
           M("loanDate", "date", True), M("returnDate", "date"), M("fine", "float")], "借阅编号"),
]}

ORDER = ["BookType", "Reader", "Book", "Loan"]


def ref_key(member):
    return CLASSES[member.ref].key


def form_name(cls, member):
    """The add/modify form field of a member: book.bookName, book.bookType.typeId."""
    name = cls.obj() + "." + member.name
    return name + "." + ref_key(member) if member.kind == "ref" else name


def query_name(member):
    """The search parameter of a query member: bookName, bookType.typeId."""
    return member.name + "." + ref_key(member) if member.kind == "ref" else member.name


def all_value(member):
    """The search value meaning "any" for a reference: 0 for an integer key, else empty."""
    return "0" if CLASSES[member.ref].auto_key() else ""


def add_fields(cls):
    return [form_name(cls, m) for m in cls.members if not (m.name == cls.key and cls.auto_key())]


def modify_fields(cls):
    return [form_name(cls, m) for m in cls.members]
