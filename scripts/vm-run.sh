#!/bin/sh
# Runs a command inside a small virtual machine whose kernel can execute
# 32-bit programs, for machines whose own kernel cannot (IA-32 emulation
# switched off): there 32-bit Wine cannot start at all.
#   scripts/vm-run.sh COMMAND...
# The machine is QEMU with software emulation; it boots Debian's kernel
# with an initramfs made here, mounts this machine's whole file system over
# 9p as its root (so every installed package and this checkout are there,
# at the same paths), gives /tmp its own memory file system, runs COMMAND
# in the current folder and powers off. COMMAND's exit status is returned.
set -e

here=$(pwd)
work=$(mktemp -d /var/tmp/qlo-vm.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM

kernel=$(ls /boot/vmlinuz-*-amd64 2>/dev/null | grep -v cloud | sort -V | tail -1)
[ -n "$kernel" ] || { echo "vm-run: no Debian amd64 kernel in /boot" >&2; exit 2; }
version=${kernel#/boot/vmlinuz-}
modules="virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p"

# The initramfs: busybox, the modules that reach the 9p root, and an init
# that mounts it and runs the job.
mkdir -p "$work/root/bin" "$work/root/modules" "$work/root/newroot" \
         "$work/root/proc" "$work/root/sys" "$work/root/dev"
cp /bin/busybox "$work/root/bin/"
for m in $modules; do
    f=$(modinfo -k "$version" -F filename "$m" 2>/dev/null) || true
    # Built into the kernel: nothing to load.
    [ -n "$f" ] && [ -f "$f" ] && cp "$f" "$work/root/modules/"
done
cat > "$work/root/init" <<INIT
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t devtmpfs dev /dev
for m in $modules; do [ -f /modules/\$m.ko ] && insmod /modules/\$m.ko; done
if ! mount -t 9p -o trans=virtio,version=9p2000.L,msize=1048576,cache=loose hostroot /newroot; then
    echo "vm-run: cannot mount the host's file system"; poweroff -f
fi
mount -t proc proc /newroot/proc
mount -t sysfs sysfs /newroot/sys
mount -t devtmpfs dev /newroot/dev
mkdir -p /newroot/dev/shm /newroot/dev/pts
mount -t tmpfs tmpfs /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
# /tmp gets the machine's own memory file system (Wine's server sockets
# cannot live on 9p); a job folder under the host's /tmp stays reachable.
mkdir -p /hosttmp
mount --bind /newroot/tmp /hosttmp
mount -t tmpfs tmpfs /newroot/tmp
case "$here" in
    /tmp/*) mkdir -p "/newroot$here" && mount --bind "/hosttmp/${here#/tmp/}" "/newroot$here" ;;
esac
chroot /newroot /bin/sh $work/job.sh
poweroff -f
INIT
chmod +x "$work/root/init"
(cd "$work/root" && find . | cpio -o -H newc 2>/dev/null | gzip -1) > "$work/initrd.gz"

# The job: the command, in this folder, with this environment's essentials.
{
    echo "export PATH='/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin' HOME=/root LANG=C.UTF-8"
    # The caller's CI flag and the project's own settings go along.
    env | grep -E '^(CI|QLO_[A-Z0-9_]*)=' | while IFS= read -r kv; do
        printf "export %s='%s'\n" "${kv%%=*}" "$(printf '%s' "${kv#*=}" | sed "s/'/'\\\\''/g")"
    done
    echo "cd '$here' || exit 1"
    printf 'set --'
    for a in "$@"; do printf " '%s'" "$(printf '%s' "$a" | sed "s/'/'\\\\''/g")"; done
    echo
    echo 'status=0; "$@" </dev/null || status=$?'
    echo "echo \$status > '$work/status'"
} > "$work/job.sh"

echo "vm-run: starting a virtual machine (kernel $version) for: $*"
# However the job goes, the machine is stopped after an hour.
timeout -k 10 3600 qemu-system-x86_64 -machine q35 -accel tcg,thread=multi -smp 2 -m 8G \
    -nographic -no-reboot -nic none \
    -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet loglevel=0 ia32_emulation=on panic=-1" \
    -fsdev local,id=root,path=/,security_model=passthrough,multidevs=remap \
    -device virtio-9p-pci,fsdev=root,mount_tag=hostroot </dev/null |
    sed -u -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\x1bc//g' -e 's/\r$//' | grep --line-buffered -av -e '^SeaBIOS' -e '^Booting from' -e '^$' || true
[ -f "$work/status" ] || { echo "vm-run: the virtual machine ended without finishing the job" >&2; exit 2; }
exit "$(cat "$work/status")"
