"""Makes the certificates the TLS tests and the benchmark use, in a folder.

    make_test_certs.py FOLDER

A test authority (ca.pem, the bundle a test names in SSL_CERT_FILE) and
server certificates, each NAME.pem with its key NAME.key:

  good       for 127.0.0.1 and localhost, by the test authority
  wronghost  for mail.example.org, by the test authority
  expired    for 127.0.0.1, by the test authority, expired years ago
  untrusted  for 127.0.0.1, by an authority nobody trusts
  cnonly     subject CN 127.0.0.1, but its alternative names only mail.example.org
  ipasdns    127.0.0.1 written as a dNSName, not an iPAddress
  sha1       for 127.0.0.1, signed with SHA-1
  shortkey   for 127.0.0.1, with a 1024-bit RSA key

EC P-256 keys (but shortkey's): quick to make, quick to handshake.
"""

import datetime
import ipaddress
import os
import sys
import warnings

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, rsa
from cryptography.x509.oid import NameOID


def name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def authority(common_name, now):
    key = ec.generate_private_key(ec.SECP256R1())
    cert = (
        x509.CertificateBuilder()
        .subject_name(name(common_name))
        .issuer_name(name(common_name))
        .public_key(key.public_key())
        .serial_number(x509.random_serial_number())
        .not_valid_before(now - datetime.timedelta(days=1))
        .not_valid_after(now + datetime.timedelta(days=30))
        .add_extension(x509.BasicConstraints(ca=True, path_length=None), critical=True)
        .add_extension(
            x509.KeyUsage(
                digital_signature=True, content_commitment=False, key_encipherment=False,
                data_encipherment=False, key_agreement=False, key_cert_sign=True,
                crl_sign=True, encipher_only=False, decipher_only=False),
            critical=True)
        .sign(key, hashes.SHA256())
    )
    return key, cert


def server(ca_key, ca_cert, host, names, not_before, not_after,
           key=None, digest=None, as_dns=False):
    key = key or ec.generate_private_key(ec.SECP256R1())
    alt = []
    for n in names:
        try:
            if as_dns:
                raise ValueError(n)
            alt.append(x509.IPAddress(ipaddress.ip_address(n)))
        except ValueError:
            alt.append(x509.DNSName(n))
    cert = (
        x509.CertificateBuilder()
        .subject_name(name(host))
        .issuer_name(ca_cert.subject)
        .public_key(key.public_key())
        .serial_number(x509.random_serial_number())
        .not_valid_before(not_before)
        .not_valid_after(not_after)
        .add_extension(x509.SubjectAlternativeName(alt), critical=False)
        .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
        .add_extension(
            x509.ExtendedKeyUsage([x509.oid.ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
        .sign(ca_key, digest or hashes.SHA256())
    )
    return key, cert


def write(folder, stem, key, cert):
    with open(os.path.join(folder, stem + ".pem"), "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    if key is not None:
        with open(os.path.join(folder, stem + ".key"), "wb") as f:
            f.write(key.private_bytes(serialization.Encoding.PEM,
                                      serialization.PrivateFormat.PKCS8,
                                      serialization.NoEncryption()))


def main():
    # The SHA-1 certificate is made on purpose.
    warnings.filterwarnings("ignore", message="SHA1 signatures are deprecated")
    if len(sys.argv) != 2:
        sys.exit("usage: make_test_certs.py FOLDER")
    folder = sys.argv[1]
    now = datetime.datetime.utcnow()
    later = now + datetime.timedelta(days=30)
    ca_key, ca_cert = authority("Tavelin Test CA", now)
    other_key, other_cert = authority("Unknown Test CA", now)
    write(folder, "ca", None, ca_cert)
    local = ["127.0.0.1", "localhost"]
    day = datetime.timedelta(days=1)
    made = {
        "good": server(ca_key, ca_cert, "127.0.0.1", local, now - day, later),
        "wronghost": server(ca_key, ca_cert, "mail.example.org", ["mail.example.org"],
                            now - day, later),
        "expired": server(ca_key, ca_cert, "127.0.0.1", local,
                          now - datetime.timedelta(days=800), now - datetime.timedelta(days=400)),
        "untrusted": server(other_key, other_cert, "127.0.0.1", local, now - day, later),
        "cnonly": server(ca_key, ca_cert, "127.0.0.1", ["mail.example.org"], now - day, later),
        "ipasdns": server(ca_key, ca_cert, "mail.example.org", ["127.0.0.1"], now - day, later,
                          as_dns=True),
        "sha1": server(ca_key, ca_cert, "127.0.0.1", local, now - day, later,
                       digest=hashes.SHA1()),
        "shortkey": server(ca_key, ca_cert, "127.0.0.1", local, now - day, later,
                           key=rsa.generate_private_key(public_exponent=65537, key_size=1024)),
    }
    for stem, (key, cert) in made.items():
        write(folder, stem, key, cert)


if __name__ == "__main__":
    main()
