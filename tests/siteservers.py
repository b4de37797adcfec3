#!/usr/bin/env python3
# Real FTP, FTPS and SFTP servers on 127.0.0.1 for the tests: one user, a root folder, any free
# port. Usage: siteservers.py ftp|ftps|sftp USER PASSWORD ROOT LOG [BYTES-PER-SECOND [LOCKED]]
# LOG gets "TIME port N" once listening, then "TIME login ok USER" or "TIME login refused USER"
# for each login, so a test can count them. BYTES-PER-SECOND slows every FTP and FTPS transfer
# to that rate (0: not slowed). LOCKED, a folder below ROOT, may be listed but not written to (FTP and FTPS).
# FTPS uses a self-signed certificate and SFTP a new host key, both made beside LOG, so a client
# meets each as new and asks about it.
import logging
import os
import subprocess
import sys

kind, user, password, root, log = sys.argv[1:6]
rate = int(sys.argv[6]) if len(sys.argv) > 6 else 0
locked = sys.argv[7] if len(sys.argv) > 7 else None
logging.basicConfig(filename=log, level=logging.INFO, format="%(created)f %(message)s")
for noisy in ("pyftpdlib", "asyncssh"):
    logging.getLogger(noisy).setLevel(logging.WARNING)
say = logging.getLogger("site").info


def ftp(tls):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler, TLS_FTPHandler
    from pyftpdlib.servers import FTPServer

    class Handler(TLS_FTPHandler if tls else FTPHandler):
        def on_login(self, username):
            say("login ok %s", username)

        def on_login_failed(self, username, _):
            say("login refused %s", username)

    if tls:
        Handler.certfile = os.path.join(os.path.dirname(log), "site.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=127.0.0.1", "-keyout", Handler.certfile, "-out", Handler.certfile],
                       check=True, capture_output=True)
        Handler.tls_control_required = Handler.tls_data_required = True
    if rate:
        Handler.dtp_handler = ThrottledDTPHandler
        ThrottledDTPHandler.read_limit = ThrottledDTPHandler.write_limit = rate
    Handler.authorizer = DummyAuthorizer()
    Handler.authorizer.add_user(user, password, root, perm="elradfmwMT")
    if locked:
        Handler.authorizer.override_perm(user, os.path.join(root, locked), "elr", recursive=True)
    server = FTPServer(("127.0.0.1", 0), Handler)
    say("port %d", server.address[1])
    server.serve_forever()


def sftp():
    import asyncio
    import asyncssh

    class Server(asyncssh.SSHServer):
        def password_auth_supported(self):
            return True

        def validate_password(self, username, given):
            good = (username, given) == (user, password)
            say("login %s %s", "ok" if good else "refused", username)
            return good

    class Files(asyncssh.SFTPServer):
        def __init__(self, channel):
            super().__init__(channel, chroot=root)

    async def serve():
        key = asyncssh.generate_private_key("ssh-ed25519")
        server = await asyncssh.listen("127.0.0.1", 0, server_host_keys=[key], server_factory=Server,
                                       sftp_factory=Files)
        say("port %d", server.sockets[0].getsockname()[1])
        await asyncio.Event().wait()

    asyncio.run(serve())


if __name__ == "__main__":
    sftp() if kind == "sftp" else ftp(kind == "ftps")
