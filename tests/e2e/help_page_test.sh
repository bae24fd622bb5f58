# The help page Zorvo.htm: every command of both menus is described there,
# its links lead somewhere, and its markup is whole.
. "$(dirname "$0")/lib.sh"
python3 - "$ROOT/viewer/resources/zorvo.rc" "$ROOT/viewer/resources/Zorvo.htm" <<'PY'
import html.parser, re, sys
rc, page = (open(p, encoding="utf-8").read() for p in sys.argv[1:3])
faults = []
for item in sorted(set(re.findall(r'MENUITEM\s+"([^"]+)"', rc))):
    text = item.split("\\t")[0].replace("&&", "\0").replace("&", "&amp;").replace("\0", "&amp;&amp;")
    if text not in page:
        faults.append("menu command not described: " + item)

class Check(html.parser.HTMLParser):
    void = {"meta", "br", "hr", "img", "link", "input"}
    def __init__(self):
        super().__init__()
        self.open, self.ids, self.links = [], set(), set()
    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs: self.ids.add(attrs["id"])
        if attrs.get("href", "").startswith("#"): self.links.add(attrs["href"][1:])
        if tag not in self.void: self.open.append((tag, self.getpos()[0]))
    def handle_endtag(self, tag):
        if not self.open or self.open[-1][0] != tag:
            faults.append("line %d: </%s> closes <%s>" % (self.getpos()[0], tag, self.open[-1] if self.open else None))
        else:
            self.open.pop()
check = Check()
check.feed(page)
faults += ["unclosed <%s> from line %d" % t for t in check.open]
faults += ["link to a missing #" + l for l in sorted(check.links - check.ids)]
if faults:
    print("\n".join(faults)); sys.exit(1)
PY
