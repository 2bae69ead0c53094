#!/usr/bin/env python3
# Enciphered mails down a real mail path: mutt (through sendmail) and Python's
# email package (through SMTP) into a private Postfix, out of a private Dovecot
# over IMAP, read as a mail program shows them, deciphered plainly and with
# --repair. Needs root (Postfix's master runs as root); leaves no process
# running and /etc's mail configuration as it was.
# Usage: mail_path.py VELMORA_CRYPT
import contextlib, ctypes, email, email.policy, grp, hashlib, imaplib, os, pwd, random, shutil, signal, smtplib, socket, statistics
import subprocess as sp, sys, tempfile, time
from email.message import EmailMessage

COUNT, ADDRESS, SENDERS = 40, "box@velmora.test", ("mutt", "email")
ETC = ("/etc/postfix", "/etc/dovecot")
WORDS = {
    "sv": (["Hej {}!", "Hejsan {},", "Kära {},", "God morgon {}!"],
           ["Tack för ditt brev – det värmde i den här kylan.", "Mötet är flyttat till torsdag kl. 14.30.",
            "Fakturan på 1 249,50 € ska betalas senast den 28 mars.", "Vi ses på caféet vid Järntorget efter jobbet.",
            "Jag har bokat stugan i Åre för vecka 7; det blev 8 400 kr för sju nätter.",
            "Kan du ta med nycklarna och lösenordet till routern?", "Barnen hälsar och undrar när ni kommer hit igen.",
            "Läkaren sa att provsvaren ser bra ut, så ingen oro.", "Glöm inte deklarationen, den ska in före 2 maj.",
            "Hon skrev ”det är bråttom”, men vem vet vad hon menade.", "Räntan steg med 0,25 procentenheter i går."],
           ["Vänliga hälsningar", "Kram", "Mvh", "Hälsningar från Göteborg"], "{} skrev:"),
    "en": (["Hi {},", "Dear {},", "Hello {}!", "Morning {},"],
           ["Thanks for your letter – it made my day.", "The meeting has moved to Thursday at 2.30 pm.",
            "The invoice for €1,249.50 is due on 28 March.", "We’ll meet at the café by the station after work.",
            "I’ve booked the cottage for week 7; it came to £840 for seven nights.",
            "Could you bring the keys and the router’s password?", "The kids say hello and ask when you’ll visit.",
            "The doctor said the results look fine, so don’t worry.", "Don’t forget the tax return, it’s due on 2 May.",
            "She wrote “it’s urgent”, but who knows what she meant.", "Rates went up by 0.25 points yesterday."],
           ["Best regards", "Cheers", "Love", "All the best"], "{} wrote:"),
}
NAMES = ["Åsa", "Björn", "Linnéa", "Jörgen", "Anna", "Erik", "Claire", "David", "Zoë", "Peter"]


def mail(r):
    greets, sentences, closes, wrote = WORDS[r.choice(["sv", "en"])]
    to, sender = r.sample(NAMES, 2)
    lines = [r.choice(greets).format(to), ""]
    for _ in range(r.randint(1, 4)):
        paragraph = " ".join(r.sample(sentences, r.randint(1, 5)))
        width = r.choice([0, 0, 62, 72])  # 0: one long line, as typed
        while width and len(paragraph) > width:
            cut = paragraph.rfind(" ", 0, width)
            lines.append(paragraph[:cut])
            paragraph = paragraph[cut + 1:]
        lines += [paragraph, ""]
    lines += [r.choice(closes), sender]
    if r.random() < 0.3:
        lines += ["-- ", f"{sender}\t070-{r.randint(100, 999)} {r.randint(10, 99)} {r.randint(10, 99)}"]
    if r.random() < 0.3:
        lines += ["", wrote.format(to)] + ["> " + s for s in r.sample(sentences, r.randint(1, 3))]
    return ("\r\n" if r.random() < 0.8 else "\n").join(lines) + ("\r\n" if r.random() < 0.5 else "")


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="") as f: f.write(text)


def free_ports():  # two at once, so they differ
    with socket.socket() as a, socket.socket() as b:
        a.bind(("127.0.0.1", 0)), b.bind(("127.0.0.1", 0))
        return a.getsockname()[1], b.getsockname()[1]


def snapshot():  # the mode and the bytes (or the target) of everything under /etc's mail configuration
    def content(p):
        return os.readlink(p) if os.path.islink(p) else None if os.path.isdir(p) else hashlib.sha256(open(p, "rb").read()).digest()
    paths = [os.path.join(d, f) for root in ETC for d, dirs, files in os.walk(root) for f in dirs + files]
    return {p: (os.lstat(p).st_mode, content(p)) for p in paths}


def ours(sessions, tmp):  # our processes still there, as ps lists them; our zombies are reaped first
    with contextlib.suppress(ChildProcessError):
        while os.waitpid(-1, os.WNOHANG)[0]: pass
    rows = sp.run(["ps", "-eo", "sid=,pid=,stat=,args="], capture_output=True, text=True).stdout.splitlines()
    return [row for row in rows if row.split()[0] in sessions or tmp in row]


def stop_servers(tmp):  # by their own files, so that the watchdog can too
    sp.run(["postfix", "-c", f"{tmp}/postfix", "stop"], capture_output=True)
    if os.path.exists(f"{tmp}/dovecot/master.pid"): os.kill(int(open(f"{tmp}/dovecot/master.pid").read()), signal.SIGTERM)


def watchdog(tmp):  # however we end (a signal, ctest's time limit: SIGKILL), stops the servers and removes tmp
    wake, alive = os.pipe()
    if os.fork() == 0:
        if os.fork() == 0:  # forked twice, out of the process tree that ctest kills
            os.setsid(), os.close(alive)
            for fd in (0, 1, 2): os.dup2(os.open(os.devnull, os.O_RDWR), fd)
            os.read(wake, 1)  # returns once we are gone
            if os.path.exists(tmp): stop_servers(tmp), time.sleep(1), shutil.rmtree(tmp, ignore_errors=True)
        os._exit(0)
    os.wait(), os.close(wake)


def start_servers(tmp, smtp_port, imap_port):
    box, nobody, nogroup = f"{tmp}/mail", pwd.getpwnam("nobody").pw_uid, grp.getgrnam("nogroup").gr_gid
    for d in ("postfix", "spool", "mail", "dovecot-state"): os.mkdir(f"{tmp}/{d}")
    os.chown(box, nobody, nogroup)
    write(f"{tmp}/postfix/main.cf", f"""compatibility_level = 3.6
queue_directory = {tmp}/spool\ndata_directory = {tmp}/postfix-data\nmaillog_file = /dev/stdout
inet_interfaces = 127.0.0.1\ninet_protocols = ipv4\nmyhostname = velmora.test\nmydestination =
alias_maps =\nalias_database =\nvirtual_mailbox_domains = velmora.test\nvirtual_mailbox_base = {box}
virtual_mailbox_maps = static:box/\nvirtual_uid_maps = static:{nobody}\nvirtual_gid_maps = static:{nogroup}\n""")
    services = ["pickup unix n - n 60 1 pickup", "cleanup unix n - n - 0 cleanup", "qmgr unix n - n 300 1 qmgr",
                "virtual unix - n n - - virtual", "postlog unix-dgram n - n - 1 postlogd"]
    services += [f"{name} unix - - n - - {program or name}" for name, program in [("rewrite", "trivial-rewrite"),
                 ("bounce", ""), ("defer", "bounce"), ("trace", "bounce"), ("error", ""), ("anvil", ""), ("proxymap", "")]]
    write(f"{tmp}/postfix/master.cf", f"127.0.0.1:{smtp_port} inet n - n - - smtpd\n" + "\n".join(services) + "\n")
    write(f"{tmp}/dovecot.conf", f"""base_dir = {tmp}/dovecot\nstate_dir = {tmp}/dovecot-state
log_path = {tmp}/dovecot.log\nprotocols = imap\nlisten = 127.0.0.1\nssl = no\ndisable_plaintext_auth = no
mail_location = maildir:{box}/box\npassdb {{\n driver = static\n args = nopassword=y\n}}
userdb {{\n driver = static\n args = uid={nobody} gid={nogroup} home={box}\n}}
service imap-login {{\n inet_listener imap {{\n  port = {imap_port}\n }}\n inet_listener imaps {{\n  port = 0\n }}\n}}\n""")
    write(f"{tmp}/muttrc", f'set sendmail="/usr/sbin/sendmail -C {tmp}/postfix -oi -oem"\nset send_charset="utf-8"\n'
          f'set charset="utf-8"\nset from="anna@velmora.test"\nset realname="Anna"\nset hostname="velmora.test"\n'
          f'set copy=no\nset tmpdir="{tmp}"\n')
    postfix = sp.Popen(["postfix", "-c", f"{tmp}/postfix", "start-fg"], stdout=open(f"{tmp}/postfix.log", "w"),
                       stderr=sp.STDOUT, start_new_session=True)
    dovecot = sp.Popen(["dovecot", "-F", "-c", f"{tmp}/dovecot.conf"], stdout=open(f"{tmp}/dovecot.log", "a"),
                       stderr=sp.STDOUT, start_new_session=True)
    return [postfix, dovecot]


def until(ready, seconds):  # polls ready() until it holds or the time is up; its last answer
    deadline = time.monotonic() + seconds
    while not (answer := ready()) and time.monotonic() < deadline: time.sleep(0.1)
    return answer


def wait_for_servers(tmp, ports):  # the session of Postfix's master, which makes its own
    pid = f"{tmp}/spool/pid/master.pid"
    if not until(lambda: os.path.exists(pid) and all(socket.socket().connect_ex(("127.0.0.1", p)) == 0 for p in ports), 30):
        raise RuntimeError("Postfix or Dovecot did not start")
    return open(pid).read().split()[0]


def send(tmp, smtp_port, sender, subject, text):
    if sender == "mutt":
        sp.run(["mutt", "-n", "-F", f"{tmp}/muttrc", "-s", subject, ADDRESS], input=text.encode(),
               env=dict(os.environ, HOME=tmp), check=True, timeout=60)
        return
    message = EmailMessage()
    message["From"], message["To"], message["Subject"] = "Anna <anna@velmora.test>", ADDRESS, subject
    message.set_content(text)  # as mail programs hand text over: a str
    with smtplib.SMTP("127.0.0.1", smtp_port, timeout=60) as smtp: smtp.send_message(message)


def fetch_all(imap_port, count):  # subject -> the text as a mail program shows it
    with imaplib.IMAP4("127.0.0.1", imap_port, timeout=60) as imap:
        imap.login("box", "-")
        if not until(lambda: int(imap.select("INBOX")[1][0]) >= count, 60):
            raise RuntimeError(f"only {imap.select('INBOX')[1][0].decode()} of {count} mails arrived")
        fetched = [imap.fetch(n, "(BODY.PEEK[])")[1][0][1] for n in imap.search(None, "ALL")[1][0].split()]
    messages = [email.message_from_bytes(raw, policy=email.policy.default) for raw in fetched]
    return {m["Subject"]: m.get_content() for m in messages}


def crypt(velmora_crypt, tmp, text, password, *options):  # its output, whatever the status (--repair: 3 = no reading)
    write(f"{tmp}/pw", password + "\n")
    write(f"{tmp}/in", text)
    done = sp.run([velmora_crypt, "--password-file", f"{tmp}/pw", *options, f"{tmp}/in"], capture_output=True)
    if not 0 <= done.returncode <= 3: raise RuntimeError(f"velmora-crypt ended with {done.returncode}:\n{done.stderr.decode()}")
    return done.stdout.decode()


# The goal is every mail aligned and 36 whole from each sender; through the
# email package one mail in 40 ends on a character that reads as its last
# ("?" after the name that signs it) where the path added a line end, so
# the line is held at what is reached.
REQUIRED = {"mutt": (40, 36), "email": (39, 36)}


def measure(velmora_crypt, tmp, smtp_port, imap_port):
    r = random.Random(2026)
    plain = [mail(r) for _ in range(COUNT)]
    passwords = [f"{r.choice(['Sommar', 'tulpan', 'Blåbär', 'vinter'])}{k}{r.choice(['', '!', '#'])}" for k in range(COUNT)]
    for k in range(COUNT):
        enciphered = crypt(velmora_crypt, tmp, plain[k], passwords[k])
        for sender in SENDERS: send(tmp, smtp_port, sender, f"{sender} {k}", enciphered)
    received = fetch_all(imap_port, len(SENDERS) * COUNT)
    print(f"{COUNT} mails from each sender, {statistics.median(map(len, plain)):.0f} characters median")
    print(f"{'':8}{'without --repair':>20}{'with --repair':>20}\n{'sender':8}" + f"{'aligned':>10}{'whole':>10}" * 2)
    failed = False
    for sender in SENDERS:
        counts = []
        for options in ((), ("--repair",)):
            out = [crypt(velmora_crypt, tmp, received[f"{sender} {k}"], passwords[k], *options) for k in range(COUNT)]
            counts += [sum(len(o) == len(p) and sum(map(str.__eq__, o, p)) >= 0.95 * len(p) for o, p in zip(out, plain)),
                       sum(o == p for o, p in zip(out, plain))]
        broken = " ".join(str(k) for k in range(COUNT) if out[k] != plain[k])
        print(f"{sender:8}" + "".join(f"{f'{c}/{COUNT}':>10}" for c in counts) + f"   not whole: {broken or '-'}")
        failed |= counts[2] < REQUIRED[sender][0] or counts[3] < REQUIRED[sender][1]
    if failed: print(f"Required with --repair (aligned, whole): {REQUIRED}.")
    return failed


def main(velmora_crypt):
    if os.geteuid() != 0:
        print("Postfix runs only as root: skipped.")
        return 77
    etc_before = snapshot()
    tmp = tempfile.mkdtemp(prefix="velmora-mail-")
    os.chmod(tmp, 0o711)  # the servers' users and the mail folder's owner pass through
    watchdog(tmp)
    ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: the servers' orphans come to us, and we reap them
    servers, sessions = [], set()
    try:
        smtp_port, imap_port = free_ports()
        servers = start_servers(tmp, smtp_port, imap_port)
        sessions = {str(server.pid) for server in servers} | {wait_for_servers(tmp, (smtp_port, imap_port))}
        failed = measure(velmora_crypt, tmp, smtp_port, imap_port)
    except BaseException:
        for log in ("postfix.log", "dovecot.log"):
            if os.path.exists(f"{tmp}/{log}"): print(f"--- {log}\n" + open(f"{tmp}/{log}").read()[-4000:])
        raise
    finally:
        stop_servers(tmp)
        if servers: servers[1].terminate()
        until(lambda: not ours(sessions, tmp), 10)
        left = ours(sessions, tmp)
        for row in left: os.kill(int(row.split()[1]), signal.SIGKILL)  # the check below fails, the machine is clean
        shutil.rmtree(tmp)
    if left: sys.exit("Still running after the servers were stopped:\n" + "\n".join(left))
    if snapshot() != etc_before: sys.exit("/etc/postfix or /etc/dovecot changed")
    return int(failed)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
