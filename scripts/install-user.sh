#!/usr/bin/env bash
# Installs Tessal Desktop for the member who runs it, or removes it again.
#
#   install-user.sh [FOLDER]     install from FOLDER: a build folder (it is installed with
#                                `cmake --install`) or an installation folder such as the
#                                unpacked release archive. Without FOLDER: the folder of this
#                                script when it holds the programs, else the repository's
#                                build/ (or $TESSAL_BUILD_DIR).
#   install-user.sh --uninstall  remove everything the installation added; the member's
#                                downloaded lessons are kept unless the member says otherwise.
#
# The programs write into their own folder (logs, caches, UserInfo.ini, updates into New/),
# so they go into the member's $XDG_DATA_HOME/tessal (default ~/.local/share/tessal), with
# menu entries, icons and the ".tessal" file type registered for the member alone. A
# reinstall replaces the programs and keeps the member's data.
set -euo pipefail

readonly prog_id="TessalClient.tessal.1.0" # the names the client itself registers the type under
readonly mime_type="application/x-tessal"
readonly type_comment="TessalClient Interpretation Files"
readonly apps=(TessalClient TessalPlayer)
readonly required=(TessalClient TessalPlayer TessalUpdata TessalUpdataCodes libAPlayer.so
  libAPlayerCaller.so libewe.so libxldl.so cache/cache.dll codecs/Course.dll Site.ini)
# Shipped seeds of the member's own data: copied only where the member has none yet.
readonly member_files=(cache/cache.dll codecs/Course.dll)
readonly manifest_name=".install-user.created"

fail() {
  echo "install-user.sh: $*" >&2
  exit 1
}

# An XDG base folder: the variable when it holds an absolute path, else the default.
xdg_folder() {
  local value=$1 fallback=$2
  if [[ $value == /* ]]; then
    printf '%s\n' "$value"
  else
    printf '%s\n' "$HOME/$fallback"
  fi
}

[[ -n ${HOME:-} ]] || fail "HOME is not set"
data_home=$(xdg_folder "${XDG_DATA_HOME:-}" .local/share)
config_home=$(xdg_folder "${XDG_CONFIG_HOME:-}" .config)
target="$data_home/tessal"
manifest="$target/$manifest_name"
applications="$data_home/applications"
mime_packages="$data_home/mime/packages"
mimeapps="$config_home/mimeapps.list"
script_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# --- helpers -----------------------------------------------------------------------

# Makes a folder and its missing parents, noting each one it made in the manifest so that
# the uninstall removes exactly those (when they are empty by then).
make_folder() {
  local folder=$1 missing=()
  while [[ ! -d $folder ]]; do
    missing=("$folder" "${missing[@]}")
    folder=$(dirname "$folder")
  done
  local made
  for made in "${missing[@]}"; do
    mkdir -- "$made"
    [[ $made == "$target" || $made == "$target"/* ]] || printf '%s\n' "$made" >>"$pending_folders"
  done
}

# Writes stdin to a file through a temporary file in its folder and a rename.
write_file() {
  local file=$1 temporary
  make_folder "$(dirname "$file")"
  temporary=$(mktemp "$file.XXXXXX")
  cat >"$temporary"
  chmod 0644 "$temporary"
  mv -f -- "$temporary" "$file"
}

# Copies one file keeping its mode (the run bits of programs and plugins), replacing the
# target by a rename so that a running program keeps its old file.
copy_file() {
  local from=$1 file=$2 temporary
  temporary=$(mktemp "$file.XXXXXX")
  if ! cp --preserve=mode,timestamps -f -- "$from" "$temporary"; then
    rm -f -- "$temporary"
    fail "cannot copy $from to $file"
  fi
  mv -f -- "$temporary" "$file"
}

# A desktop entry's string value: backslashes and control characters escaped.
desktop_string() {
  local text=$1
  text=${text//\\/\\\\}
  text=${text//$'\n'/\\n}
  text=${text//$'\t'/\\t}
  text=${text//$'\r'/\\r}
  [[ $text == " "* ]] && text="\\s${text:1}"
  printf '%s\n' "$text"
}

# An Exec value as the client writes it: the program's path, quoted only when it holds a
# character the format reserves (simple readers take the first word as the program), "%"
# doubled; then the field code, if any (" %f": the opened file).
desktop_exec() {
  local path=$1 field=${2:-} argument reserved=$' \t\n"\'\\><~|&;$*?#()`'
  argument=${path//%/%%}
  if [[ $path == *["$reserved"]* ]]; then
    argument=${argument//\\/\\\\}
    argument=${argument//\"/\\\"}
    argument=${argument//\`/\\\`}
    argument=${argument//\$/\\\$}
    argument="\"$argument\""
  fi
  desktop_string "$argument${field:+ $field}"
}

# Processes of this member whose program lies in the installation folder.
running_programs() {
  local exe found=""
  for exe in /proc/[0-9]*/exe; do
    local path
    path=$(readlink -- "$exe" 2>/dev/null) || continue
    [[ $path == "$target"/* ]] && found+="  $(basename -- "$path") (process ${exe//[^0-9]/})"$'\n'
  done
  printf '%s' "$found"
}

refuse_while_running() {
  local running
  running=$(running_programs)
  [[ -z $running ]] || fail "close these programs of $target first:"$'\n'"$running"
}

run_quietly() {
  command -v "$1" >/dev/null || return 0
  "$@" >/dev/null 2>&1 || true
}

# Removes the type's key from a mimeapps.list where it names our entry alone; a file left
# without any key is removed.
forget_default() {
  local list=$1 temporary
  [[ -f $list ]] || return 0
  temporary=$(mktemp "$list.XXXXXX")
  awk -v key="$mime_type" -v entry="$prog_id.desktop" '
    /^[[:space:]]*\[/ { section = $0; sub(/^[[:space:]]*\[/, "", section); sub(/\].*$/, "", section) }
    {
      split($0, parts, "=")
      name = parts[1]; gsub(/[[:space:]]/, "", name)
      value = substr($0, index($0, "=") + 1); gsub(/[[:space:];]/, "", value)
      if (section ~ /^(Default|Added) (Applications|Associations)$/ && tolower(name) == key &&
          value == entry)
        next
      print
    }' "$list" >"$temporary"
  if grep -q '=' "$temporary"; then
    mv -f -- "$temporary" "$list"
  else
    rm -f -- "$temporary" "$list"
  fi
}

# --- install -------------------------------------------------------------------------

# Sets `source_folder` to a complete installation folder made from the argument.
resolve_source() {
  local given=${1:-}
  if [[ -z $given ]]; then
    if [[ -x $script_folder/TessalClient ]]; then
      given=$script_folder
    else
      given=${TESSAL_BUILD_DIR:-$(dirname "$script_folder")/build}
    fi
  fi
  [[ -d $given ]] || fail "$given: no such folder"
  given=$(cd "$given" && pwd)
  if [[ -f $given/CMakeCache.txt ]]; then
    staging=$(mktemp -d)
    echo "Installing the build in $given ..."
    cmake --install "$given" --prefix "$staging" >/dev/null ||
      fail "cmake --install $given failed; build it first (ninja -C $given)"
    source_folder=$staging
  else
    source_folder=$given
  fi
  local file
  for file in "${required[@]}"; do
    [[ -e $source_folder/$file ]] || fail "$given is not a complete installation: $file is missing"
  done
}

is_member_file() {
  local file
  for file in "${member_files[@]}"; do
    [[ $1 == "$file" ]] && return 0
  done
  return 1
}

copy_installation() {
  if [[ $(cd "$source_folder" && pwd -P) == $(cd "$target" && pwd -P) ]]; then
    return 0
  fi
  local relative
  while IFS= read -r -d '' relative; do
    make_folder "$target/${relative#./}"
  done < <(cd "$source_folder" && find . -mindepth 1 -type d -print0)
  while IFS= read -r -d '' relative; do
    relative=${relative#./}
    [[ $relative == "$manifest_name" ]] && continue
    if is_member_file "$relative" && [[ -e $target/$relative ]]; then
      continue
    fi
    copy_file "$source_folder/$relative" "$target/$relative"
  done < <(cd "$source_folder" && find . \( -type f -o -type l \) -print0)
}

# The icon's size from its PNG header (width at bytes 16 to 19, big-endian).
png_width() {
  od -An -tu1 -j16 -N4 -- "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'
}

install_icons() {
  local app size
  for app in "${apps[@]}"; do
    size=$(png_width "$target/$app.png")
    [[ $size =~ ^[0-9]+$ && $size -gt 0 ]] || fail "$target/$app.png is not a PNG icon"
    make_folder "$data_home/icons/hicolor/${size}x$size/apps"
    copy_file "$target/$app.png" "$data_home/icons/hicolor/${size}x$size/apps/$app.png"
  done
  run_quietly touch "$data_home/icons/hicolor"
}

write_menu_entries() {
  write_file "$applications/TessalClient.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalClient
Comment=Courses of the Tessal site: log in, learn online, download lessons
Comment[zh_CN]=Tessal 学习客户端：登录、在线学习、下载课程
Exec=$(desktop_exec "$target/TessalClient")
TryExec=$(desktop_string "$target/TessalClient")
Path=$(desktop_string "$target")
Icon=TessalClient
Terminal=false
Categories=Education;
EOF
  write_file "$applications/TessalPlayer.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalPlayer
Comment=Plays the Tessal lessons downloaded for offline viewing
Comment[zh_CN]=Tessal 离线课程播放器
Exec=$(desktop_exec "$target/TessalPlayer" %f)
TryExec=$(desktop_string "$target/TessalPlayer")
Path=$(desktop_string "$target")
Icon=TessalPlayer
Terminal=false
Categories=AudioVideo;Video;Player;
EOF
}

# The same MIME package and opening entry as TessalClient writes at each start, so that
# its own registration later finds them as they are.
register_file_type() {
  write_file "$mime_packages/$prog_id.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="$mime_type">
    <comment>$type_comment</comment>
    <glob pattern="*.tessal"/>
  </mime-type>
</mime-info>
EOF
  write_file "$applications/$prog_id.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalPlayer
Comment=$type_comment
Exec=$(desktop_exec "$target/TessalPlayer" %f)
Icon=$(desktop_string "$target/TessalClient.png")
Terminal=false
NoDisplay=true
MimeType=$mime_type;
EOF
  run_quietly update-mime-database "$data_home/mime"
  run_quietly update-desktop-database "$applications"
  make_folder "$config_home"
  if command -v xdg-mime >/dev/null; then
    xdg-mime default "$prog_id.desktop" "$mime_type"
  else
    printf '[Default Applications]\n%s=%s\n' "$mime_type" "$prog_id.desktop" >>"$mimeapps"
  fi
}

# Adds what this run made outside the folder to what earlier installs made.
save_manifest() {
  if [[ -f $manifest ]]; then
    cat -- "$manifest" >>"$pending_folders"
  fi
  LC_ALL=C sort -u -- "$pending_folders" | write_file "$manifest"
}

install_for_member() {
  staging=""
  pending_folders=$(mktemp)
  trap 'rm -rf -- "$pending_folders" ${staging:+"$staging"}' EXIT
  resolve_source "${1:-}"
  if [[ -d $target ]]; then
    refuse_while_running
  fi
  make_folder "$target"
  copy_installation
  install_icons
  write_menu_entries
  register_file_type
  save_manifest
  echo "Tessal Desktop is installed in $target."
  echo "TessalClient and TessalPlayer are in the menu; .tessal lessons open in TessalPlayer."
}

# --- uninstall -----------------------------------------------------------------------

# The download folders inside the installation that hold any file: the default one and
# the member's choice in UserSet.ini ([Client] DownLoadFile) when it lies inside.
download_folders() {
  local chosen=""
  if [[ -f $target/UserSet.ini ]]; then
    chosen=$(awk '
      /^[[:space:]]*\[/ { in_client = tolower($0) ~ /^[[:space:]]*\[client\]/; next }
      in_client && tolower($0) ~ /^[[:space:]]*downloadfile[[:space:]]*=/ {
        sub(/^[^=]*=/, ""); print; exit
      }' "$target/UserSet.ini")
  fi
  chosen=${chosen%$'\r'}
  local folder real_target
  real_target=$(cd "$target" && pwd -P)
  for folder in "$target/TessalDownload" "${chosen%/}"; do
    [[ -n $folder && -d $folder && ! -L $folder ]] || continue
    folder=$(cd "$folder" && pwd -P)
    [[ $folder == "$real_target"/* ]] || continue
    if [[ -n $(find "$folder" -type f -print -quit) ]]; then
      printf '%s\n' "$target/${folder#"$real_target"/}"
    fi
  done | LC_ALL=C sort -u
}

# Removes everything under a folder except the kept folders (and the folders above them).
remove_except() {
  local folder=$1 entry kept keep
  shift
  for entry in "$folder"/* "$folder"/.[!.]* "$folder"/..?*; do
    [[ -e $entry || -L $entry ]] || continue
    keep=remove
    for kept in "$@"; do
      if [[ $entry == "$kept" ]]; then
        keep=all
      elif [[ $kept == "$entry"/* && -d $entry && ! -L $entry ]]; then
        keep=some
      fi
    done
    case $keep in
      remove) rm -rf -- "$entry" ;;
      some) remove_except "$entry" "$@" ;;
    esac
  done
}

ask_about_downloads() {
  local folders=("$@") answer
  if [[ ${#folders[@]} -eq 0 ]]; then
    return 0
  fi
  if [[ -t 0 ]]; then
    printf 'Your downloaded lessons are in:\n'
    printf '  %s\n' "${folders[@]}"
    read -r -p "Keep them? [Y/n] " answer
    if [[ $answer == [nN]* ]]; then
      kept_downloads=()
      return 0
    fi
  fi
  kept_downloads=("${folders[@]}")
}

remove_desktop_files() {
  local app file
  for app in "${apps[@]}"; do
    rm -f -- "$applications/$app.desktop"
    for file in "$data_home"/icons/hicolor/*/apps/"$app".png; do
      rm -f -- "$file"
    done
  done
  rm -f -- "$applications/$prog_id.desktop" "$mime_packages/$prog_id.xml"
  # Older desktop tools keep the list among the applications.
  forget_default "$mimeapps"
  forget_default "$applications/mimeapps.list"
  if [[ -d $mime_packages && -z $(ls -A -- "$mime_packages") ]]; then
    # Everything else in the folder is made from the packages, of which none is left.
    find "$data_home/mime" -mindepth 1 -maxdepth 1 ! -name packages -exec rm -rf -- {} +
  elif [[ -d $mime_packages ]]; then
    run_quietly update-mime-database "$data_home/mime"
  fi
  if [[ -d $applications ]]; then
    if [[ -z $(find "$applications" -name '*.desktop' -print -quit) ]]; then
      rm -f -- "$applications/mimeinfo.cache"
    else
      run_quietly update-desktop-database "$applications"
    fi
  fi
}

# The folders and files the installs made outside the installation folder, deepest first,
# each removed only when nothing else is in it by now.
remove_created_folders() {
  local made
  while IFS= read -r made; do
    if [[ -d $made ]]; then
      rmdir -- "$made" 2>/dev/null || true
    fi
  done < <(LC_ALL=C sort -r -- "$1")
}

uninstall_for_member() {
  created=$(mktemp)
  trap 'rm -f -- "$created"' EXIT
  installed=no
  if [[ -d $target ]]; then
    refuse_while_running
    if [[ -f $manifest ]]; then
      cp -- "$manifest" "$created"
    fi
    if [[ -e $target/TessalClient ]]; then
      installed=yes
    fi
  fi
  remove_desktop_files
  kept_downloads=()
  if [[ -d $target ]]; then
    local folders=()
    mapfile -t folders < <(download_folders)
    ask_about_downloads "${folders[@]}"
    remove_except "$target" "${kept_downloads[@]}"
    rmdir -- "$target" 2>/dev/null || true
  fi
  remove_created_folders "$created"
  if [[ $installed == yes ]]; then
    echo "Tessal Desktop is removed."
  else
    echo "Tessal Desktop was not installed in $target; its menu entries and file type are removed."
  fi
  if [[ ${#kept_downloads[@]} -gt 0 ]]; then
    echo "Your downloaded lessons are kept in:"
    printf '  %s\n' "${kept_downloads[@]}"
  fi
}

case ${1:-} in
  --uninstall)
    [[ $# -eq 1 ]] || fail "--uninstall takes nothing more"
    uninstall_for_member
    ;;
  -h | --help)
    sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    ;;
  -*) fail "unknown option $1 (see --help)" ;;
  *)
    [[ $# -le 1 ]] || fail "takes one folder at most (see --help)"
    install_for_member "${1:-}"
    ;;
esac
