#!/bin/bash
# A shared folder on a file server, on one machine: a Samba server on the
# loopback interface, mounted twice through smbnetfs (FUSE), each mount its
# own SMB session, so two processes see the share as two desks would.
# Kernel CIFS and NFS mounts need kernel modules that containers often lack;
# smbnetfs needs only /dev/fuse.
#
#   loopback_share.sh up     (as root) prints the two mount points and the server's folder
#   loopback_share.sh down   unmounts and stops the server
# scripts/install-deps.sh --test installs Samba, smbnetfs and FUSE.
#
# What the mounts are like (measured on Debian 12, Samba 4.17): O_TMPFILE and
# link() are refused; rename over a file works; flock is not shared between
# the mounts; a file held open cannot be deleted (EBUSY); times have 100 ns
# steps and ctime follows mtime; each mount caches attributes for about 1 s.
set -eu
B=${SHARE_BASE:-/tmp/palomet-share}
if [ "${1:-up}" = down ]; then
  for i in 1 2; do fusermount -u "$B/mnt/desk$i" 2>/dev/null || true; done
  if [ -f "$B/smb/run/smbd.pid" ]; then kill "$(cat "$B/smb/run/smbd.pid")" 2>/dev/null || true; fi
  exit 0
fi
[ -e /dev/fuse ] || { echo "no /dev/fuse: FUSE mounts are not possible here" >&2; exit 1; }
command -v smbd >/dev/null && command -v smbnetfs >/dev/null ||
  { echo "Samba or smbnetfs is not installed (scripts/install-deps.sh --test installs them)" >&2; exit 1; }
mkdir -p "$B"/export "$B"/smb/{run,lock,state,cache,log,private} "$B"/mnt/desk1 "$B"/mnt/desk2
cat > "$B/smb/smb.conf" <<CONF
[global]
  server role = standalone server
  interfaces = lo
  bind interfaces only = yes
  smb ports = 445
  disable netbios = yes
  server min protocol = SMB2
  load printers = no
  printcap name = /dev/null
  pid directory = $B/smb/run
  lock directory = $B/smb/lock
  state directory = $B/smb/state
  cache directory = $B/smb/cache
  private dir = $B/smb/private
  ncalrpc dir = $B/smb/run/ncalrpc
  log file = $B/smb/log/%m.log
[share]
  path = $B/export
  read only = no
  force user = root
CONF
printf 'secret\nsecret\n' | smbpasswd -c "$B/smb/smb.conf" -s -a root >/dev/null
smbd -s "$B/smb/smb.conf" -D
for _ in $(seq 50); do ss -ltn | grep -q '127.0.0.1:445 ' && break; sleep 0.1; done
for i in 1 2; do
  H=$B/home$i; mkdir -p "$H/.smb"
  printf 'smb_query_browsers "false"\nauth "127.0.0.1" "root" "secret"\nhost "127.0.0.1" visible=true\n' \
    > "$H/.smb/smbnetfs.conf"
  printf '[global]\n  client min protocol = SMB2\n' > "$H/.smb/smb.conf"
  chmod 600 "$H"/.smb/*
  HOME=$H smbnetfs "$B/mnt/desk$i" -o log_file="$H/smbnetfs.log"
done
ls "$B/mnt/desk1/127.0.0.1/share" "$B/mnt/desk2/127.0.0.1/share" >/dev/null
echo "desk 1: $B/mnt/desk1/127.0.0.1/share"
echo "desk 2: $B/mnt/desk2/127.0.0.1/share"
echo "server: $B/export"
